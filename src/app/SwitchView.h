#pragma once

#include "app/GridGeometry.h"
#include "app/ImageKeys.h"
#include "control/NamedPorts.h"
#include "model/ViewParts.h"

#include <QWidget>

#include <functional>

#include <memory>
#include <vector>

class QCheckBox;
class QGridLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace quadrel {

class PictureBox;
class QuadrelCore;
class SwitchGrid;
class Timer;
class TimerFactory;
class Views;

// The "Switch" page: a window onto the selected unit's crosspoints, as many
// inputs by outputs as the page holds (8 by 8 the least) at the chosen zoom,
// the input buttons and output boxes with their names and plugs, and the
// controls that route the ticked outputs.
class SwitchView : public QWidget, public SwitchViewPart, public NamedPortsView {
    Q_OBJECT
public:
    // `views` is the whole window's view hub: the page sets the busy pointer
    // through it. `timers` makes timSelected.
    SwitchView(QuadrelCore& core, Views& views, TimerFactory& timers, QWidget* parent = nullptr);
    ~SwitchView() override;

    // SwitchViewPart
    void Setup_SwitchView() override;
    // A route changed: its cell and the output's source label.
    void Draw_Crosspoint(int input, int output) override;
    void Draw_InputPlug(SignalKind kind, int input) override;
    void Draw_OutputPlug(SignalKind kind, int output) override;
    // The label beside an output's box: what feeds it.
    void Draw_OutputSource(int output);
    void Enable_SwitchControl(bool enabled) override;
    void ResetSwitchAnchor() override { iLastSwitchOutput_ = -1; }
    void UntickSelAllSwitchOutput() override;

    // NamedPortsView: buttons and boxes tell their port's name in their tool
    // tips, and the labels beside the boxes name the inputs that feed them.
    void ShowNames(const UnitNames& names) override;
    std::optional<NamedPort> PortOf(const QObject* widget) const override;
    QList<QWidget*> NameTargets() const override;

    void Draw_SwitchView();
    // Why an output may not be touched now (the window is locked), or empty;
    // its box is then disabled with the reason as its tool tip.
    void setOutputRefusal(std::function<QString(int output)> refusal) {
        outputRefusal_ = std::move(refusal);
    }
    // The role changed: the output boxes are enabled and told again.
    void RoleChanged();
    void Draw_Crosspoint(int input, int output, bool pressed);
    void Enable_picInput(bool enabled);
    void Enable_picOutput(bool enabled);
    void Enable_chkSelSwitchAudio(bool enabled);
    void Enable_chkSelSwitchVideo(bool enabled);
    void Enable_imgQRD(bool enabled);
    void Enable_imgPlug(bool enabled);
    bool IsAllSwitchOutputSelected() const;
    // The selected unit is silent but was read: its last routes stay in view,
    // greyed and captioned as not current.
    bool ShowsLastKnown() const;
    QString LastKnownCaption() const;

    // What the operator sees, by key, for checks and automation.
    QString CellKey(int k) const;
    QString InputPlugKey(SignalKind kind, int position) const;
    QString OutputPlugKey(SignalKind kind, int position) const;
    QString OutputSourceText(int position) const;
    int iLastSwitchOutput() const { return iLastSwitchOutput_; }
    const SwitchGrid& grid() const { return *picSwitchBackground_; }
    grid::Shape shape() const { return shape_; }
    // The cell that shows (input, output), if it is in the window.
    std::optional<int> CellShowing(int input, int output) const;
    Timer& timSelected() { return *timSelected_; }

    // The zoom: -2 to 3 steps around the font's own size; Ctrl with the
    // wheel, plus and minus change it.
    void Zoom(int steps);
    int zoom() const { return zoom_; }
    // Brings an input or output into view and gives its button or box the
    // focus: "Input 12", "Output 5", "o5", a bare number (an output) or a
    // port's name. False when nothing matches.
    bool GoTo(const QString& text);
    // Asks which port to go to (Ctrl+G), in a box beside the grid.
    void AskGoTo();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Over the grid, its buttons and boxes the wheel moves the window:
    // down the outputs, across the inputs with Shift (or a sideways wheel).
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString OutputRefusal(int output) const;
    // The window's widgets for shape_ and pitch_, the old ones let go.
    void BuildWindow();
    // The shape the page holds now; the window is built again when it differs.
    void FitWindow();
    void ScheduleFit();
    grid::Shape FittingShape() const;
    QSize SizeFor(grid::Shape shape) const;
    QFont PortFont() const;
    void BuildInputRow();
    void BuildOutputColumn();
    // The scroll bars' ranges for the window and the unit shown.
    void SetScrollRanges(bool resetValues);
    // Only one cell, one input button and one output box take part in Tab:
    // the one last focused of each.
    void MakeTabStop(QWidget* widget);
    // Home, End, Ctrl+Home and Ctrl+End; true when the key was the window's.
    bool EndKey(int c, int r, const QKeyEvent* key, int inputs, int outputs);
    QWidget* BuildSideControls();
    void ConnectHandlers();
    void SetTabOrder();
    // The arrow and page keys on the window's buttons, boxes and cells; true
    // when the key was the window's.
    bool WindowKey(QObject* watched, const QKeyEvent* key);
    // Focus to the widget at column c (-1: the output boxes) and row r (-1:
    // the input buttons), if it is enabled.
    void FocusAt(int c, int r);

    void chkSwitchInput_Click(int c);
    void chkSwitchOutput_MouseUp(int r, int button, int shiftState);
    void chkSelAllSwitchOutput_Click();
    void cmdDisconnect_Click();
    void scoSwitch_Change(QScrollBar* bar);
    void imgQRD_Click(int k);
    void imgQRD_Press(int k, bool pressed);
    void imgQRD_HoverStarted(int k);
    void imgQRD_HoverEnded(int k);
    void timSelected_Timer();
    void txtGoTo_Return();
    // Routes `input` to every selected output; returns nothing to the caller
    // but the queued requests. Used by the input buttons and Disconnect.
    void RouteSelectedOutputs(int input, int32_t priority, bool busyForVideo);
    void SyncOutputBoxes();
    void MatchSelAllBox();

    int InputAt(int c) const;
    int OutputAt(int r) const;

    QuadrelCore& core_;
    Views& views_;
    std::unique_ptr<Timer> timSelected_;
    const ImageKeyTables& keys_;
    // The font's pitch (32, or more where the interface font needs it), and
    // the pitch at the zoom.
    int basePitch_ = grid::kPitch;
    int pitch_ = grid::kPitch;
    int zoom_ = 0;
    int zoomDelta_ = 0;
    grid::Shape shape_;
    bool fitPending_ = false;
    bool enabled_ = false;
    std::function<QString(int)> outputRefusal_;
    QGridLayout* page_ = nullptr;
    QWidget* side_ = nullptr;

    QWidget* picInput_ = nullptr;
    QLabel* lblInput_ = nullptr;
    std::vector<QPushButton*> chkSwitchInput_;
    std::vector<PictureBox*> imgVideoInPlug_;
    std::vector<PictureBox*> imgAudioInPlug_;
    QScrollBar* scoSwitchInput_ = nullptr;

    QWidget* picOutput_ = nullptr;
    QLabel* lblOutput_ = nullptr;
    std::vector<QPushButton*> chkSwitchOutput_;
    std::vector<PictureBox*> imgVideoOutPlug_;
    std::vector<PictureBox*> imgAudioOutPlug_;
    std::vector<QLabel*> lblOutputSource_;
    // What each source label was last drawn from: a poll's route reply
    // redraws every output, and eliding a text is the dear part.
    struct SourceShown {
        QString text;
        QString words;
        int width = -1;
    };
    std::vector<SourceShown> sourceShown_;
    QScrollBar* scoSwitchOutput_ = nullptr;
    // The widgets that stand for their group in Tab.
    QWidget* tabCell_ = nullptr;
    QWidget* tabInput_ = nullptr;
    QWidget* tabOutput_ = nullptr;

    QCheckBox* chkSelAllSwitchOutput_ = nullptr;
    QWidget* picSelSwitchType_ = nullptr;
    QCheckBox* chkSelSwitchAudio_ = nullptr;
    QCheckBox* chkSelSwitchVideo_ = nullptr;
    QPushButton* cmdDisconnect_ = nullptr;
    QLabel* lblLastKnown_ = nullptr;
    QLabel* lblGoTo_ = nullptr;
    QLineEdit* txtGoTo_ = nullptr;
    SwitchGrid* picSwitchBackground_ = nullptr;

    UnitNames names_;

    int iLastSwitchOutput_ = -1;
    bool blSkipSelAllSwitchOutput_ = false;
    bool blSelectedBorderPhase_ = false;
    // Button and shift state of the mouse-up that is about to click a box.
    int pendingButton_ = 0;
    int pendingShift_ = 0;
};

} // namespace quadrel
