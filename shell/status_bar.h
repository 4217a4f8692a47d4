// The main window's status bar: the message pane, the panes the editor and
// the grid views write into (a text beginning "@0".."@3" draws that glyph
// first), the four pane layouts, and the progress indicator long file work
// shows in the message pane.
#pragma once

#include <QPixmap>
#include <QStatusBar>
#include <QString>
#include <string>
#include <vector>

#include "model/progress.h"

namespace kavrel {

class CStatusPane;

enum class StatusLayout { None, Editor, ProgramFile, Library };

// The command id of every text pane after the message pane; its update
// enables the panes only while a document window is open.
inline constexpr int kStatusPaneCommand = 54990;

class CStatusBarEx : public QStatusBar, public ProgressSink {
    Q_OBJECT
public:
    // Glyph cells of the strip: 13 pixels apart, 12 by 12 drawn.
    static constexpr int kGlyphCount = 4;
    static constexpr int kGlyphPitch = 13;
    static constexpr int kGlyphHeight = 12;

    explicit CStatusBarEx(QWidget* parent = nullptr);
    ~CStatusBarEx() override;

    // Applied only when it differs from the current one; the text panes
    // start empty.
    void SetLayout(StatusLayout layout);
    StatusLayout Layout() const { return layout_; }

    // Panes, the message pane being pane 0.
    int PaneCount() const { return static_cast<int>(panes_.size()); }
    QString PaneText(int pane) const;
    void SetPaneText(int pane, const QString& text);
    void SetPaneText(int pane, const std::string& text) { SetPaneText(pane, QString::fromStdString(text)); }
    int PaneWidth(int pane) const;
    // A layout's pane width in this bar's font.
    int ScaledWidth(int width) const;
    bool PaneOwnerDrawn(int pane) const;
    bool PaneIsIndicator(int pane) const;  // "CAP" or "NUM"
    CStatusPane* Pane(int pane) const;

    // The text panes show their texts only while a document window is open.
    void SetDocumentPanesEnabled(bool enabled);
    bool DocumentPanesEnabled() const { return documentPanesEnabled_; }

    // The message pane, repainted at once.
    void SetMessage(const QString& text);
    void SetMessage(int stringId);
    QString Message() const;
    void SaveMessage();
    void RestoreMessage();

    // The progress indicator in the message pane.
    void SetProgressEnabled(bool on) { progressEnabled_ = on; }
    void ProgressBegin(const QString& text);
    void ProgressStep(int i, int n);
    void ProgressEnd();
    bool ProgressActive() const { return progressActive_; }
    QString ProgressCaption() const { return progressCaption_; }
    int ProgressBlocks() const { return blocks_; }
    int ProgressFilled() const { return filled_; }
    int ProgressPercent() const { return percent_; }
    // How often the indicator has been drawn (the pane repaints only when
    // the filled count changes).
    int ProgressDraws() const { return progressDraws_; }

    // ProgressSink: what the file layers report to.
    void Begin(const std::string& caption, int steps) override;
    void Step(int i) override;
    void End() override;

    // The strip of pane glyphs: 0 position, 1 size, 2 zoom, 3 colour.
    static const QPixmap& GlyphStrip();

private:
    friend class CStatusPane;
    void PaintProgress(class QPainter& painter, const QRect& pane);
    void RepaintProgressBlocks(int from, int to);

    struct PaneSpec;
    void Rebuild(const std::vector<PaneSpec>& specs);

    std::vector<CStatusPane*> panes_;
    StatusLayout layout_ = StatusLayout::None;
    bool layoutApplied_ = false;
    bool documentPanesEnabled_ = false;
    QString message_;
    QString tip_;  // a command's prompt while its menu item is highlighted
    QString savedMessage_;

    bool progressEnabled_ = true;
    bool progressActive_ = false;
    QString progressSavedMessage_;
    QString progressCaption_;
    int blocks_ = 0;
    int filled_ = 0;
    int percent_ = 0;
    int progressSteps_ = 0;
    int progressDraws_ = 0;
};

// One pane: fixed width (the message pane stretches), sunken frame.
class CStatusPane : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Message, Text, Indicator };
    CStatusPane(CStatusBarEx* bar, Kind kind, int width, bool ownerDrawn, const QString& text);

    Kind PaneKind() const { return kind_; }
    bool OwnerDrawn() const { return ownerDrawn_; }
    QString Text() const { return text_; }
    void SetText(const QString& text);
    int PaneWidth() const { return width_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CStatusBarEx* bar_;
    Kind kind_;
    int width_;
    bool ownerDrawn_;
    QString text_;
};

}  // namespace kavrel
