// A form owns its controls: they go with it, the last made first, and a
// control that outlives the panel holding it is left without a parent
// instead of pointing at the panel that went. (Under the sanitizer preset a
// control left behind is reported as a leak.)
#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/qt/controls.h"

namespace {

// A label that notes when it goes, and whether its panel was still there.
class NotingLabel : public TLabel {
  public:
    NotingLabel(TWinControl* parent, std::vector<const TControl*>& gone)
        : TLabel(parent, "x"), gone_(gone) {}
    ~NotingLabel() override { gone_.push_back(this); }

  private:
    std::vector<const TControl*>& gone_;
};

}  // namespace

TEST(FormOwnership, ControlsGoWithTheirFormChildrenFirst) {
    std::vector<const TControl*> gone;
    QPointer<QWidget> panelWidget, labelWidget;
    const TControl* first = nullptr;
    const TControl* second = nullptr;
    {
        TForm form;
        TPanel* panel = form.MakeControl<TPanel>(&form);
        first = form.MakeControl<NotingLabel>(panel, gone);
        second = form.MakeControl<NotingLabel>(&form, gone);
        panelWidget = panel->Widget();
        labelWidget = first->Widget();
        EXPECT_EQ(panel->Children().size(), 1u);
    }
    EXPECT_TRUE(panelWidget.isNull());
    EXPECT_TRUE(labelWidget.isNull());
    EXPECT_EQ(gone, (std::vector<const TControl*>{second, first}));
}

TEST(FormOwnership, AControlOutlivingItsPanelIsLeftWithoutOne) {
    auto panel = std::make_unique<TPanel>(nullptr);
    TLabel label(panel.get(), "x");
    ASSERT_EQ(label.Parent(), panel.get());
    panel.reset();  // takes the label's widget with it
    EXPECT_EQ(label.Parent(), nullptr);
    EXPECT_EQ(label.Widget(), nullptr);
}
