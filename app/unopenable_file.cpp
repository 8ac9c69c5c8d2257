#include "app/unopenable_file.h"

#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

std::string CannotOpenReason(const std::string& name) {
    switch (GetPathKind(name)) {
        case PathKind::Directory:
            return "フォルダーは開けません.\n"_sj + name;
        case PathKind::BrokenLink:
            return "リンク先のファイルが有りません.\n"_sj + name;
        case PathKind::LinkLoop:
            return "リンクが循環しているため開けません.\n"_sj + name;
        case PathKind::Other:
            return "通常のファイルではないため開けません.\n"_sj + name;
        default:
            return "";
    }
}
