#include "rccheck/rc_records.h"

#include <cstdlib>
#include <cstring>

#include "model/frame_model.h"
#include "platform/sjis_literal.h"

RcCheckData* RcData = nullptr;

RcCheckData* NewRcCheckData() {
    // calloc: the member blocks are mostly never touched, so the pages stay
    // unbacked until a member is built.
    auto* rc = static_cast<RcCheckData*>(std::calloc(1, sizeof(RcCheckData)));
    if (rc == nullptr) return nullptr;
    rc->memberChecks =
        static_cast<RcMemberChecks*>(std::calloc(kRcMemberSlots, sizeof(RcMemberChecks)));
    if (rc->memberChecks == nullptr) {
        std::free(rc);
        return nullptr;
    }
    return rc;
}

void FreeRcCheckData(RcCheckData* rc) {
    if (rc == nullptr) return;
    std::free(rc->memberChecks);
    std::free(rc);
}

RcCheckData* AllocateRcCheckData() {
    if (RcData == nullptr) RcData = NewRcCheckData();
    return RcData;
}

void SetRcText(char* dest, int size, const std::string& text) {
    SetFixedText(dest, size, text.c_str());
}

std::string RefuseRcName(const std::string& text) {
    if (text.find(',') == std::string::npos) return "";
    return "名称にカンマ(,)は使えません。全角の「，」をお使いください。"_sj;
}
