#include "shell/app.h"

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "document/icon_document.h"
#include "document/open_files.h"
#include "document/picture_icon.h"
#include "editor/clipboard.h"
#include "editor/format_rules.h"
#include "editor/tool_set.h"
#include "editor/ui/format_dialogs.h"
#include "editor/ui/icon_view.h"
#include "editor/ui/paste_options_dialog.h"
#include "editor/ui/qt_clipboard.h"
#include "editor/ui/size_set_dialog.h"
#include "editor/ui/tool_cursor.h"
#include "librarian/conversion.h"
#include "librarian/grid_docs.h"
#include "librarian/icon_editors.h"
#include "librarian/import.h"
#include "librarian/librarian_folder.h"
#include "librarian/settings_librarian.h"
#include "librarian/store.h"
#include "librarian/ui/grid_view.h"
#include "librarian/ui/icon_list_box.h"
#include "librarian/ui/library_bar.h"
#include "librarian/ui/qt_bar_dialogs.h"
#include "model/ico_file.h"
#include "model/picture_import.h"
#include "platform/dib.h"
#include "platform/prompter.h"
#include "platform/registry.h"
#include "platform/screen.h"
#include "resources/command_ids.h"
#include "resources/strings.h"
#include "shell/association_dialog.h"
#include "shell/bars.h"
#include "shell/core/associations.h"
#include "shell/core/help.h"
#include "shell/core/reorganise.h"
#include "shell/core/settings.h"
#include "shell/file_icon_view.h"
#include "shell/frame_parts.h"
#include "shell/framework/child_frame.h"
#include "shell/framework/doc_manager.h"
#include "shell/framework/doc_template.h"
#include "shell/framework/framework_strings.h"
#include "shell/main_frame.h"
#include "shell/open_dialog.h"
#include "shell/prefs_dialog.h"
#include "shell/program_note_dialog.h"
#include "shell/qt_prompter.h"
#include "shell/welcome_dialog.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

CKavrelApp* g_app = nullptr;

// "\nIcon in file\n...": the description of linked editors.
constexpr int kIconInFileTemplateString = 7;

// The document kind that opens a file of this kind.
std::optional<DocKind> DocKindOfFile(FileKindType kind)
{
    switch (kind) {
    case FileKindType::Icon:
        return DocKind::Icon;
    case FileKindType::ProgramFile:
        return DocKind::ProgramFile;
    case FileKindType::IconLibrary:
        return DocKind::IconLibrary;
    default:
        return std::nullopt;
    }
}
std::string g_programFolder;
std::string g_librarianFolder;

constexpr int kSplashWidth = 529;
constexpr int kSplashHeight = 169;
constexpr const char* kSplashFile = "kavrel-splash.jpg";

// Messages between instances, one line each: "open PATH" (PATH
// percent-encoded, empty to bring the window forward) is answered "ok";
// "documents" (only with KAVREL_TEST_HOOKS=1) lists the open documents'
// paths, one encoded path a line, then "end"; "quit" (the same) closes the
// main window as Exit does.
constexpr int kHandOverTimeoutMs = 3000;

QByteArray Encode(const std::string& text)
{
    return QByteArray::fromStdString(text).toPercentEncoding();
}
std::string Decode(const QByteArray& text)
{
    return QByteArray::fromPercentEncoding(text).toStdString();
}

// The desktop's browser and file manager.
class QtDesktopOpener : public DesktopOpener {
  public:
    bool OpenUrl(const std::string& url) override
    {
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
    }
};

// The manual's section about the active window.
std::string ActiveHelpSection(CMainFrame* frame)
{
    CChildFrame* active = frame ? frame->ActiveFrame() : nullptr;
    if (!active)
        return {};
    switch (active->Template().Kind()) {
    case DocKind::Icon:
    case DocKind::IconInFile:
        return help_section::kDrawing;
    case DocKind::ProgramFile:
        return help_section::kProgramFiles;
    case DocKind::IconLibrary:
        return help_section::kLibrarian;
    }
    return {};
}

bool TestHooksEnabled()
{
    return qEnvironmentVariable("KAVREL_TEST_HOOKS") == QLatin1String("1");
}

void ConvertLibrarianWithProgress(QWidget* parent)
{
    QtConversionView view(parent);
    ConvertEarlierLibrarian(ProgramFolder(), LibrarianFolder(), view, FrameProgress());
}

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// The borderless picture shown while the program starts.
class CSplashWnd : public QWidget {
  public:
    explicit CSplashWnd(QImage picture)
        : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
          picture_(std::move(picture))
    {
        setObjectName(QStringLiteral("Splash"));
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setCursor(Qt::ArrowCursor);
        setFixedSize(kSplashWidth, kSplashHeight);
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect area = screen->geometry();
            move(area.left() + (area.width() - kSplashWidth) / 2, area.top() + (area.height() - kSplashHeight) / 2);
        }
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(rect(), picture_);
    }

  private:
    QImage picture_;
};

QImage LoadSplashPicture(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return {};
    PackedDib dib = ReadJpegFile(path);
    if (dib.empty())
        return {};
    std::optional<Bitmap> bitmap = DibToBitmap(dib);
    if (!bitmap || bitmap->isNull() || bitmap->isMono())
        return {};
    QImage image(reinterpret_cast<const uchar*>(bitmap->colorBits()), bitmap->width(), bitmap->height(),
                 bitmap->width() * 4, QImage::Format_RGB32);
    return image.copy();
}

// The "Insufficient video configuration" warning; its box writes back ShowWarnColor16.
void ShowVideoWarning(QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromStdString(LoadString(kStrVideoTitle)));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(QString::fromStdString(LoadString(kStrVideoText)), &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    layout->addWidget(new QLabel(QString::fromStdString(LoadString(kStrVideoAdvice1)), &dialog));
    layout->addWidget(new QLabel(QString::fromStdString(LoadString(kStrVideoAdvice2)), &dialog));
    auto* always = new QCheckBox(QString::fromStdString(LoadString(kStrVideoAlways)), &dialog);
    always->setChecked(ShowWarnColor16 == 1);
    layout->addWidget(always);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QString::fromStdString(LoadString(kStrVideoOk)), QDialogButtonBox::AcceptRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
    ShowWarnColor16 = always->isChecked() ? 1 : 0;
}

} // namespace

// ---- folders ----

QString InstanceServerName(const std::string& configFolder)
{
    // One folder named two ways is still one configuration.
    std::error_code ec;
    std::string folder = fs::weakly_canonical(fs::absolute(fs::path(configFolder), ec), ec).string();
    if (ec || folder.empty())
        folder = configFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    QByteArray key =
        QCryptographicHash::hash(QByteArray::fromStdString(folder), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("kavrel-%1-%2").arg(static_cast<qulonglong>(getuid())).arg(QString::fromLatin1(key));
}

const std::string& ProgramFolder()
{
    return g_programFolder;
}
const std::string& LibrarianFolder()
{
    return g_librarianFolder;
}

QPrinter& ApplicationPrinter()
{
    static QPrinter printer;
    return printer;
}

// ---- the application ----

CKavrelApp::CKavrelApp(QStringList arguments, QObject* parent) : QObject(parent), arguments_(std::move(arguments))
{
    // The whole command line is one file name, blanks and all.
    QStringList rest = arguments_.mid(1);
    QString raw = rest.join(QLatin1Char(' ')).trimmed();
    // A name quoted as a whole (as a desktop may pass it) is the name inside.
    if (raw.size() >= 2 && raw.startsWith(QLatin1Char('"')) && raw.endsWith(QLatin1Char('"')))
        raw = raw.mid(1, raw.size() - 2);
    rawCommandLine_ = raw.toStdString();
}

CKavrelApp::~CKavrelApp()
{
    ExitInstance();
    if (g_app == this)
        g_app = nullptr;
}

CKavrelApp* CKavrelApp::Instance()
{
    return g_app;
}

bool CKavrelApp::InitInstance()
{
    if (started_)
        return mainFrame_ != nullptr;
    started_ = true;
    g_app = this;

    // A Kavrel already running for this configuration takes the file.
    if (HandOverToRunningInstance()) {
        handedOver_ = true;
        return false;
    }

    // What the program knows of the screen. True-colour screens stay at 24
    // bits: that is the depth the bitmap layer works in.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        ScreenInfo& info = Screen();
        info.width = screen->geometry().width();
        info.height = screen->geometry().height();
        info.dpiX = static_cast<int>(screen->logicalDotsPerInchX());
        info.dpiY = static_cast<int>(screen->logicalDotsPerInchY());
        int depth = screen->depth();
        info.bitsPerPixel = depth >= 24 ? 24 : depth;
    }

    ShowSplash();

    g_programFolder = WithSlash(QCoreApplication::applicationDirPath().toStdString());
    bool fromEnvironment = LibrarianFolderFromEnvironment();
    g_librarianFolder = ChooseLibrarianFolder(g_programFolder);
    EnsureLibrarianFolder(g_librarianFolder, !fromEnvironment && g_librarianFolder == g_programFolder + "librarian");

    // From here on every question has a real dialog.
    prompter_ = std::make_unique<QtPrompter>();
    chooser_ = std::make_unique<QtFileChooser>();
    SetPrompter(prompter_.get());
    SetFileChooser(chooser_.get());
    SetFormatDialogs(&QtFormatDialogs());
    SetSizeSetDialog(&QtSizeSetDialog());
    // Refused tree and drag operations beep.
    static QtBeeper beeper;
    static QtLibrarianDialogs librarianDialogs;
    SetBeeper(&beeper);
    SetBarDialogs(&librarianDialogs);
    static QtDesktopOpener desktop;
    SetDesktopOpener(&desktop);
    SetHelpFolder(g_programFolder);

    // The clipboard: our own format goes under its registered name.
    static QtClipboard clipboard;
    static QtPasteOptionsPrompt pasteOptions;
    SetClipboardService(&clipboard);
    SetPasteOptionsPrompt(&pasteOptions);
    BindClipboardSettings(&OptionsDeCollage, &ClipBoardBackgroundColor);
    RecentFiles().load(Registry::Instance());
    LoadSettings();

    RegisterTemplates();

    // The windows' icon: the picture of New icon, drawn by the bars.
    if (QIcon icon = CommandIcon(ID_FILE_NEW); !icon.isNull())
        QApplication::setWindowIcon(icon);
    mainFrame_ = new CMainFrame;
    mainFrame_->SetApplicationTarget(this);
    mainFrame_->SetOpenHandler([this](const std::string& path) {
        if (OpenDocumentFile(path) == OpenResult::NoKind)
            ReportFileWithoutIcons(path);
    });
    prompter_->SetParent(mainFrame_);
    pasteOptions.SetParent(mainFrame_);
    SetPasteProgress(&FrameProgress());
    CIconDocument::SetProgressSink(&FrameProgress());
    chooser_->SetParent(mainFrame_);
    librarianDialogs.SetParent(mainFrame_);
    if (CLibraryBar* librarian = CLibraryBar::Instance())
        librarian->Librarian().SetProgress(&FrameProgress());
    ListenForOtherInstances();

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    InstallDrawingTools();

    mainFrame_->ApplyPlacement(LoadMainWindowPlacement(Registry::Instance(), Screen().width, Screen().height));

    if (EarlierLibrarianToConvert(g_programFolder)) {
        CloseSplash();
        ConvertLibrarianWithProgress(mainFrame_);
        SaveSetting(Registry::Instance(), "Converted");
        BankPathName.clear();
        if (CLibraryBar* librarian = CLibraryBar::Instance())
            librarian->ReloadTree();
    }

    CloseSplash();
    mainFrame_->setWindowTitle(QString::fromStdString(LoadString(2)));

    if (rawCommandLine_.empty()) {
        if (IconeAuto == 1)
            FileNew();
    } else if (OpenDocumentFile(rawCommandLine_) == OpenResult::NoKind) {
        ReportFileWithoutIcons(rawCommandLine_);
    }

    OnStartupReorganisation();
    mainFrame_->ActiveWindowUpdate();

    CheckDisplayDepth();
    CheckFileAssociations();

    if (splashClosed_ && rawCommandLine_.empty() && ShowBienvenue == 1)
        ShowWelcomeDialog(mainFrame_);
    return true;
}

void CKavrelApp::ExitInstance()
{
    if (!started_ || exited_ || handedOver_)
        return;
    exited_ = true;
    if (server_) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
    CloseSplash();
    // The main frame writes its placement as it goes.
    delete mainFrame_;
    mainFrame_ = nullptr;
    // A message about the settings has no main frame left to sit on.
    if (prompter_)
        prompter_->SetParent(nullptr);
    if (chooser_)
        chooser_->SetParent(nullptr);
    SaveSettingsAtExit(Registry::Instance());
    ReleaseDrawingTools();
    ReleaseToolCursors();
    SetPrompter(nullptr);
    SetFileChooser(nullptr);
    SetClipboardService(nullptr);
    SetPasteOptionsPrompt(nullptr);
    SetPasteProgress(nullptr);
    CIconDocument::SetProgressSink(nullptr);
    SetFormatDialogs(nullptr);
    SetSizeSetDialog(nullptr);
    SetBeeper(nullptr);
    SetBarDialogs(nullptr);
    SetDesktopOpener(nullptr);
}

void CKavrelApp::RegisterTemplates()
{
    CDocManager& docs = DocManager();
    if (!docs.Templates().empty())
        return;
    // Registered in DocKind order, which is the order of every list of kinds.
    docs.AddTemplate(std::make_unique<CDocTemplate>(
        DocKind::Icon, CIconDocument::kTemplateStringId, MenuKind::IconDocument,
        LoadString(CIconDocument::kTemplateStringId),
        [](IconSource* source) { return std::make_unique<CIconDocument>(source); },
        [](CDocTemplate& tmpl, CDocument& doc) -> CChildFrame* { return new CIconDocumentMDI(tmpl, doc); },
        [](CDocument& doc, CChildFrame&) -> QWidget* { return new CIconView(static_cast<CIconDocument*>(&doc)); }));
    docs.AddTemplate(std::make_unique<CDocTemplate>(
        DocKind::IconInFile, kIconInFileTemplateString, MenuKind::IconInFile, LoadString(kIconInFileTemplateString),
        [](IconSource* source) -> std::unique_ptr<CDocument> {
            auto* link = dynamic_cast<LinkedIconSource*>(source);
            return std::make_unique<CFileIconDoc>(link ? &link->Window() : nullptr, link ? link->Index() : -1);
        },
        [](CDocTemplate& tmpl, CDocument& doc) -> CChildFrame* {
            auto* frame = new CKavrelFileDocMDI(tmpl, doc);
            if (auto* editor = dynamic_cast<CFileIconDoc*>(&doc))
                frame->AdaptToSource(editor->CanChangeFormats());
            return frame;
        },
        [](CDocument& doc, CChildFrame&) -> QWidget* { return new CFileIconView(static_cast<CFileIconDoc*>(&doc)); }));
    docs.AddTemplate(std::make_unique<CDocTemplate>(
        DocKind::ProgramFile, CFileDoc::kTemplateStringId, MenuKind::ProgramFile,
        LoadString(CFileDoc::kTemplateStringId), [](IconSource*) { return std::make_unique<CFileDoc>(); },
        [](CDocTemplate& tmpl, CDocument& doc) -> CChildFrame* { return new CFileExeMDI(tmpl, doc); },
        [](CDocument& doc, CChildFrame&) -> QWidget* { return new CFileView(static_cast<CFileDoc*>(&doc)); }));
    docs.AddTemplate(std::make_unique<CDocTemplate>(
        DocKind::IconLibrary, CLibDoc::kTemplateStringId, MenuKind::IconLibrary, LoadString(CLibDoc::kTemplateStringId),
        [](IconSource*) { return std::make_unique<CLibDoc>(); },
        [](CDocTemplate& tmpl, CDocument& doc) -> CChildFrame* { return new CFileIclMDI(tmpl, doc); },
        [](CDocument& doc, CChildFrame&) -> QWidget* { return new CLibView(static_cast<CLibDoc*>(&doc)); }));
}

// ---- opening ----

OpenResult CKavrelApp::OpenDocumentFile(const std::string& rawPath)
{
    if (rawPath.empty())
        return OpenResult::NoKind;
    // One file has one name, however it was reached.
    std::error_code ec;
    std::string path = fs::absolute(fs::path(rawPath), ec).lexically_normal().string();
    if (ec)
        path = rawPath;

    CDocManager& docs = DocManager();
    if (CChildFrame* frame = docs.FindFrame(path)) {
        docs.ActivateFrame(frame);
        return OpenResult::Activated;
    }

    std::optional<DocKind> kind = DocKindOfFile(FileKind(path));
    CDocTemplate* tmpl = kind ? docs.Template(*kind) : nullptr;
    if (!tmpl && IsPictureToOpen(path)) {
        // A picture becomes a new untitled icon; the file itself is not
        // the document, so opening it again makes another.
        std::optional<CIconGroup> icon = IconFromPictureFile(path);
        if (!icon)
            return OpenResult::NoKind;
        GroupIconSource source(std::move(*icon), false);
        return NewIcon(&source) ? OpenResult::Opened : OpenResult::Refused;
    }
    if (!tmpl)
        return OpenResult::NoKind;
    CDocument* doc = docs.OpenDocument(*tmpl, path);
    RequestReorganisation();
    if (!doc)
        return OpenResult::Refused;
    if (*kind == DocKind::ProgramFile && ShowWarnExeType == 1) {
        CloseSplash();
        ShowProgramNoteIfWanted(mainFrame_);
    }
    emit documentOpened(QString::fromStdString(path));
    return OpenResult::Opened;
}

CDocument* CKavrelApp::NewIcon(IconSource* source)
{
    CDocTemplate* tmpl = DocManager().Template(DocKind::Icon);
    CDocument* doc = tmpl ? DocManager().NewDocument(*tmpl, source) : nullptr;
    RequestReorganisation();
    if (doc)
        emit documentOpened(QString());
    return doc;
}

CDocument* CKavrelApp::OpenLinkedIcon(IconSourceWindow& source, int index)
{
    CDocManager& docs = DocManager();
    if (CFileIconDoc* open = FindIconEditor(&source, index)) {
        auto frames = docs.FramesOf(open);
        if (!frames.empty()) {
            if (frames.front()->isMinimized())
                frames.front()->showNormal();
            docs.ActivateFrame(frames.front());
        }
        return open;
    }
    CDocTemplate* tmpl = docs.Template(DocKind::IconInFile);
    LinkedIconSource link(source, index);
    CDocument* doc = tmpl ? docs.NewDocument(*tmpl, &link) : nullptr;
    if (auto* editor = dynamic_cast<CFileIconDoc*>(doc)) {
        editor->closeWindow = [editor] {
            for (CChildFrame* frame : DocManager().FramesOf(editor))
                frame->CloseWithoutAsking();
        };
    }
    RequestReorganisation();
    if (doc)
        emit documentOpened(QString());
    return doc;
}

CDocument* CKavrelApp::FileNew()
{
    return NewIcon(nullptr);
}

CDocument* CKavrelApp::OpenIconAsNewIcon(IconSource& source)
{
    return NewIcon(&source);
}

void CKavrelApp::ImportIntoLibrarian()
{
    CLibraryBar* librarian = CLibraryBar::Instance();
    if (!librarian)
        return;
    const std::vector<std::string> paths = Chooser().ChooseOpen(
        LoadString(kStrImportTitle), OpenFilter(LoadString(55028), [](FileKindType) { return true; }), true);
    if (paths.empty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    librarian->ListBox()->setUpdatesEnabled(false);
    const ImportResult result = kavrel::ImportIntoLibrarian(librarian->Librarian(), paths, FrameProgress());
    librarian->ListBox()->setUpdatesEnabled(true);
    librarian->RefreshList();
    QApplication::restoreOverrideCursor();
    if (result.withoutIcons > 0)
        Prompts().Message(LoadString(paths.size() > 1 ? kStrNoIconInFiles : kStrNoIconInFile), MB_OK | MB_ICONSTOP);
}

void CKavrelApp::FileOpen()
{
    CDocManager& docs = DocManager();
    auto canOpen = [&docs](FileKindType kind) {
        std::optional<DocKind> docKind = DocKindOfFile(kind);
        return docKind && docs.Template(*docKind) != nullptr;
    };
    std::vector<std::string> paths =
        Chooser().ChooseOpen(LoadString(55066), WithPictureFilter(OpenFilter(LoadString(55028), canOpen)), true);
    int withoutIcon = 0;
    for (const std::string& path : paths)
        if (OpenDocumentFile(path) == OpenResult::NoKind)
            ++withoutIcon;
    ReportFilesWithoutIcons(static_cast<int>(paths.size()), withoutIcon);
}

bool CKavrelApp::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_PRINT_SETUP:
    case ID_APP_EXIT:
    case ID_PREFERENCES:
    case ID_HELP_FINDER:
    case ID_HELP_USING:
    case ID_CONTEXT_HELP:
    case ID_HELP:
        ui.Enable();
        return true;
    case ID_LIB_IMPORT: {
        CLibraryBar* librarian = CLibraryBar::Instance();
        ui.Enable(librarian && librarian->isVisible() && librarian->Librarian().Loaded() &&
                  !librarian->Librarian().ShownLocked());
        return true;
    }
    default:
        return false;
    }
}

void CKavrelApp::OnCommand(std::uint16_t id)
{
    switch (id) {
    case ID_FILE_NEW:
        FileNew();
        break;
    case ID_FILE_OPEN:
        FileOpen();
        break;
    case ID_LIB_IMPORT:
        ImportIntoLibrarian();
        break;
    case ID_FILE_PRINT_SETUP: {
        QPageSetupDialog dialog(&ApplicationPrinter(), mainFrame_);
        dialog.exec();
        break;
    }
    case ID_APP_EXIT:
        if (mainFrame_)
            mainFrame_->close();
        break;
    case ID_PREFERENCES:
        ShowPreferences();
        break;
    case ID_HELP_FINDER:
    case ID_HELP_USING:
    case ID_CONTEXT_HELP:
    case ID_HELP:
        OpenHelp(HelpSectionForCommand(id, ActiveHelpSection(mainFrame_)));
        break;
    default:
        break;
    }
}

// ---- splash ----

void CKavrelApp::ShowSplash()
{
    QImage picture = LoadSplashPicture(WithSlash(QCoreApplication::applicationDirPath().toStdString()) + kSplashFile);
    if (picture.isNull())
        return;
    auto* splash = new CSplashWnd(std::move(picture));
    splash_ = splash;
    splash->show();
    QCoreApplication::instance()->installEventFilter(this);
    QCoreApplication::processEvents();
}

void CKavrelApp::CloseSplash()
{
    splashClosed_ = true;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    if (splash_) {
        splash_->close();
        splash_ = nullptr;
        if (mainFrame_)
            mainFrame_->update();
    }
}

bool CKavrelApp::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
        if (splash_)
            QTimer::singleShot(0, this, [this] {
                CloseSplash();
                if (mainFrame_ && mainFrame_->MdiArea())
                    mainFrame_->MdiArea()->update();
            });
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CKavrelApp::CheckFileAssociations()
{
    std::string program = RunningProgramPath();
    FileAssociations associations(Registry::Instance(), program, FindCliBeside(program),
                                  DesktopFolders::FromEnvironment(), SystemPrograms());
    QtAssociationWarning warning(mainFrame_);
    CheckAssociationsAtStartup(associations, warning, [this] { CloseSplash(); });
}

void CKavrelApp::ShowPreferences()
{
    CPrefsPropertySheet sheet(mainFrame_);
    sheet.SetHelp([] { OpenHelp(help_section::kPreferences); });
    PrefsEffects effects;
    // The pattern pairs are drawn on demand, so the repaint shows a new pair:
    // nothing to reload.
    effects.repaintAll = [this] {
        if (!mainFrame_)
            return;
        for (CIconView* view : mainFrame_->findChildren<CIconView*>())
            view->RedrawAllViews();
        for (QWidget* widget : mainFrame_->findChildren<QWidget*>())
            widget->update();
    };
    sheet.SetEffects(std::move(effects));
    sheet.exec();
}

void CKavrelApp::CheckDisplayDepth()
{
    if (ShowWarnColor16 != 1 || Screen().bitsPerPixel > 4)
        return;
    CloseSplash();
    ShowVideoWarning(mainFrame_);
}

// ---- one Kavrel per configuration ----

bool CKavrelApp::HandOverToRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(InstanceServerName(Registry::Instance().folder()));
    if (!socket.waitForConnected(500))
        return false;
    std::string path;
    if (!rawCommandLine_.empty()) {
        std::error_code ec;
        path = fs::absolute(fs::path(rawCommandLine_), ec).lexically_normal().string();
        if (ec)
            path = rawCommandLine_;
    }
    socket.write("open " + Encode(path) + "\n");
    if (!socket.waitForBytesWritten(kHandOverTimeoutMs))
        return false;
    // The answer tells that the running Kavrel took the file.
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kHandOverTimeoutMs))
        answer += socket.readAll();
    return answer.startsWith("ok");
}

void CKavrelApp::ListenForOtherInstances()
{
    QString name = InstanceServerName(Registry::Instance().folder());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) {
        // Nobody answered before, so the name is left over from a Kavrel that ended abruptly.
        QLocalServer::removeServer(name);
        if (!server_->listen(name)) {
            delete server_;
            server_ = nullptr;
            return;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, &CKavrelApp::OnInstanceConnection);
}

void CKavrelApp::OnInstanceConnection()
{
    while (QLocalSocket* socket = server_ ? server_->nextPendingConnection() : nullptr) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            QByteArray line = socket->readLine().trimmed();
            if (line == "open" || line.startsWith("open ")) {
                std::string path = Decode(line.mid(5));
                socket->write("ok\n");
                socket->flush();
                // Opened from the event loop, so that the other Kavrel is
                // answered before any message this open may show.
                QTimer::singleShot(0, this, [this, path] {
                    if (!mainFrame_)
                        return;
                    if (mainFrame_->isMinimized())
                        mainFrame_->showNormal();
                    mainFrame_->raise();
                    mainFrame_->activateWindow();
                    if (!path.empty() && OpenDocumentFile(path) == OpenResult::NoKind)
                        ReportFileWithoutIcons(path);
                });
            } else if (line == "documents" && TestHooksEnabled()) {
                for (CChildFrame* frame : DocManager().Frames())
                    if (frame->Document())
                        socket->write(Encode(frame->Document()->GetPathName()) + "\n");
                socket->write("end\n");
                socket->flush();
            } else if (line == "quit" && TestHooksEnabled()) {
                socket->write("ok\n");
                socket->flush();
                QTimer::singleShot(0, this, [this] {
                    if (mainFrame_)
                        mainFrame_->close();
                });
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace kavrel
