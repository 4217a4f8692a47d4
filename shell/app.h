// The application object: start-up and exit in their fixed order, the
// document kinds, opening by path, File New / Open / Exit, and the hand-over
// of files from a second Kavrel started while this one runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "document/cmd_target.h"

class QLocalServer;
class QPrinter;

namespace kavrel {

class CDocument;
class IconSource;
class CMainFrame;
class QtFileChooser;
class QtPrompter;

// The name of the local socket a running Kavrel listens on: one per user and
// configuration folder, so that separate configurations run side by side.
QString InstanceServerName(const std::string& configFolder);

// The program folder (with a trailing '/') and the librarian root, set at start-up.
const std::string& ProgramFolder();
const std::string& LibrarianFolder();

// The printer File Print Setup sets up and the print commands use.
QPrinter& ApplicationPrinter();

// What opening a path came to.
enum class OpenResult {
    Opened,    // a new document window
    Activated, // the file was open already; its window came forward
    Refused,   // the document could not read the file (and said so)
    NoKind,    // no document kind opens files of this extension
};

class IconSourceWindow;
class CKavrelApp : public QObject, public CCmdTarget {
    Q_OBJECT
  public:
    // arguments as QCoreApplication gives them, the program's name first.
    explicit CKavrelApp(QStringList arguments, QObject* parent = nullptr);
    ~CKavrelApp() override;

    // The application that ran InitInstance (nullptr before).
    static CKavrelApp* Instance();

    // The start-up sequence. False when the main frame could not be
    // created, or when the file was handed to a Kavrel already running
    // (HandedOver() then tells).
    bool InitInstance();
    bool HandedOver() const { return handedOver_; }
    // The exit sequence (settings written once); the main frame goes first.
    void ExitInstance();

    CMainFrame* MainFrame() const { return mainFrame_; }

    // The whole command line after the program's name, as one file name.
    const std::string& RawCommandLine() const { return rawCommandLine_; }

    // Opening by path, as the command line, Open, the recent files, dropped
    // files and a second instance use it.
    OpenResult OpenDocumentFile(const std::string& path);
    CDocument* FileNew();
    void FileOpen();
    // Import: the chosen files' icons added to the librarian's
    // shown library.
    void ImportIntoLibrarian();
    // An icon held elsewhere (librarian, library, program file) opened as a
    // new untitled icon: the source fills the new document's formats.
    CDocument* OpenIconAsNewIcon(IconSource& source);
    // Icon `index` of a grid (librarian, library or program-file window) in
    // a linked editor; the editor already open on it comes forward instead.
    CDocument* OpenLinkedIcon(IconSourceWindow& source, int index);

    bool OnUpdateCommand(CCmdUI& ui) override;
    void OnCommand(std::uint16_t id) override;

    // Closes the splash window early (a start-up step shows a dialog of its own).
    void CloseSplash();
    bool SplashClosed() const { return splashClosed_; }
    QWidget* Splash() const { return splash_; }

  signals:
    // A document was opened or created by path or by File New.
    void documentOpened(const QString& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool HandOverToRunningInstance();
    void ListenForOtherInstances();
    void OnInstanceConnection();
    void ShowSplash();
    void RegisterTemplates();
    CDocument* NewIcon(IconSource* source);
    void CheckDisplayDepth();
    void CheckFileAssociations();
    void ShowPreferences();

    QStringList arguments_;
    std::string rawCommandLine_;
    CMainFrame* mainFrame_ = nullptr;
    std::unique_ptr<QtPrompter> prompter_;
    std::unique_ptr<QtFileChooser> chooser_;
    QLocalServer* server_ = nullptr;
    QPointer<QWidget> splash_;
    bool splashClosed_ = false;
    bool handedOver_ = false;
    bool started_ = false;
    bool exited_ = false;
};

} // namespace kavrel
