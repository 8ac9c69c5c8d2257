// Typing benchmark: the main window (offscreen) with 逐次計算 and 自動保存
// on, a frame of 20 x 20 nodes (400 nodes, 760 members, 65 load cases)
// opened from its data file, and keys typed into node 2's x as a person
// types them. Prints, per key, the time the key takes to be handled (what
// holds up the next key), then the time of the calculation that follows
// the pause in typing (not saved), and of Enter (commit, calculation and
// save). Figures only; nothing is asserted.
//
//   bench_typing [work folder [keys]]   (default /tmp/vextor_bench_typing, 8)
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/encoding.h"
#include "platform/qt/dialogs.h"
#include "platform/sysutils.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Bays x storeys of 6 m x 3.5 m, fixed feet, a vertical load on every beam
// and a lateral load at every storey, one case per factor.
void BuildFrame(FrameModel& m, int bays, int storeys, int cases) {
    NewFrameModel(m, 0);
    m.materialCount = 1;
    m.materials[1] = {1, 2.5e7f, 1e-5f, 0};
    m.sectionCount = 2;
    m.sections[1].no = 1;
    m.sections[1].area = 0.36f;
    m.sections[1].inertia = 0.0108f;
    m.sections[2].no = 2;
    m.sections[2].area = 0.24f;
    m.sections[2].inertia = 0.0072f;
    auto node = [bays](int s, int x) { return s * (bays + 1) + x + 1; };
    for (int s = 0; s <= storeys; ++s)
        for (int x = 0; x <= bays; ++x) {
            const int n = node(s, x);
            m.nodes[n] = {n, 6.0f * x, 3.5f * s, {}};
        }
    m.nodeCount = (storeys + 1) * (bays + 1);
    std::vector<int> beams;
    auto member = [&m](int i, int j, int section) {
        FrameMember& mb = m.members[++m.memberCount];
        mb.no = m.memberCount;
        mb.nodeI = i;
        mb.nodeJ = j;
        mb.sectionNo = section;
        mb.materialNo = 1;
        return mb.no;
    };
    for (int s = 1; s <= storeys; ++s) {
        for (int x = 0; x <= bays; ++x) member(node(s - 1, x), node(s, x), 1);
        for (int x = 0; x < bays; ++x) beams.push_back(member(node(s, x), node(s, x + 1), 2));
    }
    m.supportCaseCount = 1;
    SuptCase& sc = m.supportCases[1];
    sc.no = 1;
    for (int x = 0; x <= bays; ++x) {
        SuptEntry& e = sc.entries[++sc.count];
        e.nodeNo = node(0, x);
        e.code = kSupportFixed;
        e.kx = e.ky = e.km = -1;
    }
    m.loadCaseCount = cases;
    for (int c = 1; c <= cases; ++c) {
        LoadCase& lc = m.loadCases[c];
        lc.no = c;
        lc.suptCaseNo = 1;
        const float f = 1.0f + 0.01f * c;
        for (std::size_t b = 0; b < beams.size() && lc.count < kMaxLoads - storeys; b += 3)
            lc.loads[++lc.count] = {kLoadDistY, beams[b], 0, -20 * f, -20 * f, 0, 0, 0, 0, 0, {}};
        for (int s = 1; s <= storeys; ++s)
            lc.loads[++lc.count] = {kLoadNodal, node(s, 0), 0, 10 * f, 0, 0, 0, 0, 0, 0, {}};
    }
    m.combinationCount = 1;
    KumiCase& k = m.combinations[1];
    k.no = 1;
    k.factor = 1.0;
    k.count = 2;
    k.entries[1] = {1, 1.0f};
    k.entries[2] = {2, 1.0f};
}

void Send(QWidget* target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : target,
                            &release);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string folder = argc > 1 ? argv[1] : "/tmp/vextor_bench_typing";
    const int keys = argc > 2 ? std::max(1, std::atoi(argv[2])) : 8;
    ForceDirectories(folder);
    setenv("XDG_DATA_HOME", (folder + "/xdg").c_str(), 1);
    StartApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    SetMessageDlgHook([](const std::string&, TMsgDlgType, int) { return mrOk; });
    AllocateRcCheckData();
    LoadRebarTable();

    std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    BuildFrame(*model, 19, 19, 65);
    const std::string file = folder + "/typing_frame.$O1";
    if (!WriteFrameDataFile(file, *model)) {
        std::fprintf(stderr, "bench_typing: cannot write %s\n", file.c_str());
        return 1;
    }
    CommandLineOptions options;
    options.fileName = file;
    auto window = std::make_unique<TFmMain>(options);
    window->Timer1.SetEnabled(false);
    window->Timer1Timer();
    window->Timer1Timer();
    window->Show();
    ProcessMessages();
    window->CalcAuto->SetChecked(true);
    window->AutoSave->SetChecked(true);

    TStringGrid& grid = window->Grid(kSgPoint);
    QWidget* client = grid.ClientWidget();
    const TRect r = grid.CellRect(2, 2);
    const QPointF at((r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, client->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(client, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, client->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(client, &release);

    std::printf("frame: %d nodes, %d members, %d load cases\n", FrameData->nodeCount,
                FrameData->memberCount, FrameData->loadCaseCount);
    std::vector<double> perKey, afterPause;
    for (int k = 0; k < keys; ++k) {
        const int digit = 1 + k % 9;
        ResultData->memberCount = 0;
        const Clock::time_point t0 = Clock::now();
        Send(QApplication::focusWidget(), Qt::Key_0 + digit, QString::number(digit));
        const Clock::time_point t1 = Clock::now();
        perKey.push_back(Ms(t0, t1));
        // The results follow once typing pauses.
        const Clock::time_point limit = t1 + std::chrono::seconds(60);
        while (ResultData->memberCount == 0 && Clock::now() < limit)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        afterPause.push_back(Ms(t1, Clock::now()));
    }
    const Clock::time_point e0 = Clock::now();
    Send(QApplication::focusWidget(), Qt::Key_Return, "\r");
    const double enter = Ms(e0, Clock::now());
    std::printf("key handled:                    median %8.2f ms, worst %8.2f ms (%d keys)\n",
                Median(perKey), *std::max_element(perKey.begin(), perKey.end()), keys);
    std::printf("results after the pause:        median %8.2f ms (pause included)\n",
                Median(afterPause));
    std::printf("Enter (commit, calculate, save): %8.2f ms\n", enter);
    std::printf("saved after Enter: %s\n", ModifiedFlag ? "no" : "yes");
    window.reset();
    return 0;
}
