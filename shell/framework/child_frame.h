// Document windows: a child frame inside the main frame's MDI area holds one
// view of a document under a local toolbar. COrvaneMDI and its subclasses
// are the frames of the document kinds.
#pragma once

#include <string>

#include <QMdiSubWindow>

#include "document/cmd_target.h"

class QComboBox;
class QToolBar;
class QVBoxLayout;

namespace kavrel {

class CDocTemplate;
class CDocument;
class CFrameView;

class CChildFrame : public QMdiSubWindow, public CCmdTarget {
    Q_OBJECT
  public:
    CChildFrame(CDocTemplate& tmpl, CDocument& doc, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CDocTemplate& Template() const { return *template_; }
    CDocument* Document() const { return document_; }
    // The view widget, and the view as a command target and as what the main
    // window asks of it (nullptr when it is none).
    QWidget* View() const { return view_; }
    CCmdTarget* ViewTarget() const;
    CFrameView* FrameView() const;
    void SetView(QWidget* view);

    // Bar ID_VIEW_TOOLBAR inside the frame; nullptr for a frame without one.
    QToolBar* LocalToolBar() const { return toolBar_; }
    void ShowLocalToolBar(bool show);

    // The title this frame's kind gives, before the window number.
    virtual std::string FrameTitle() const;
    // Sets the window title, with ":%d" on the second and later windows of
    // the same document.
    void UpdateTitle();

    // Closes the window without the question to save (the caller has asked).
    void CloseWithoutAsking();

    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

  signals:
    // The frame has been activated (made the MDI area's active window).
    void frameActivated(CChildFrame* frame);

  protected:
    // The view has been set (a kind's frame puts the view's parts into its toolbar).
    virtual void ViewChanged() {}
    // Creates the local toolbar above the view; the kind's frame fills it.
    QToolBar* CreateLocalToolBar();
    void closeEvent(QCloseEvent* event) override;

  private:
    CDocTemplate* template_;
    CDocument* document_;
    QWidget* body_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QWidget* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    bool closing_ = false; // closing without the question
    bool closed_ = false;  // the document has been given back
};

// The family of the program's document frames: the first time one is shown
// while Agrandissement is 1 it opens maximised.
class COrvaneMDI : public CChildFrame {
    Q_OBJECT
  public:
    using CChildFrame::CChildFrame;

    // Shows the frame, maximised on its first showing when Agrandissement is 1.
    void ShowFrame();
    bool FirstActivation() const { return firstActivation_; }

  private:
    bool firstActivation_ = true;
};

// Icon editor windows: local toolbar 3 with the image-format box.
class CIconDocumentMDI : public COrvaneMDI {
    Q_OBJECT
  public:
    CIconDocumentMDI(CDocTemplate& tmpl, CDocument& doc, QWidget* parent = nullptr);

    // The drop-down list of the icon's image formats (control 21): the
    // view's own list, adopted by the toolbar; nullptr before the view is set.
    QComboBox* FormatBox() const;

  protected:
    void ViewChanged() override;

  private:
    QWidget* formatGap_ = nullptr;
};

// Program-file windows (local toolbar 5) and library windows (toolbar 6).
class CFileExeMDI : public COrvaneMDI {
    Q_OBJECT
  public:
    CFileExeMDI(CDocTemplate& tmpl, CDocument& doc, QWidget* parent = nullptr);
};

class CFileIclMDI : public COrvaneMDI {
    Q_OBJECT
  public:
    CFileIclMDI(CDocTemplate& tmpl, CDocument& doc, QWidget* parent = nullptr);
};

// Editors of icons taken from a program file, a library or the librarian.
class CKavrelFileDocMDI : public CIconDocumentMDI {
    Q_OBJECT
  public:
    using CIconDocumentMDI::CIconDocumentMDI;
    // A library source: the first button becomes Update. A program file:
    // the image-format buttons give way to a separator 120 pixels wide.
    void AdaptToSource(bool librarySource);
};

} // namespace kavrel
