// SPDX-License-Identifier: MIT
#include "app/Orlika.h"

#include "app/AboutBox.h"
#include "app/Filemove.h"
#include "platform/Rounding.h"
#include "render/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QToolButton>
#include <QVBoxLayout>

namespace orlika {

namespace {

constexpr int kPanelHeight = StatusPanel::kHeight;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

QFont windowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    font.setBold(true);
    return font;
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

// Key codes as the catalog's key handler knows them.
int keyCode(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    default:
        return event.key() & 0xFFFF;
    }
}

bool isModifierOnly(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr;
}

} // namespace

// ---------------------------------------------------------------------------------------

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent), m_host(*this), m_catalog(m_host, m_fileSystem), m_page(std::make_unique<ImagePage>(1, 1))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ORLIKA"));
    setWindowIcon(QIcon(programIcon(64)));

    auto* client = new QWidget(this);
    client->setFont(windowFont());
    QPalette white = client->palette();
    white.setColor(QPalette::Window, Qt::white);
    client->setPalette(white);
    client->setAutoFillBackground(true);
    Page = new PageSurface(*this, client);
    Panel1 = new StatusPanel(client);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Page, 1);
    layout->addWidget(Panel1);
    setCentralWidget(client);

    createMenus();
    createStatusPanel();

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    // Qt's own dialog: its filters match names in any letter case, and tests can drive it.
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1->setOption(QFileDialog::HideNameFilterDetails);
    OpenDialog1->setNameFilters(openFilters());
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);

    OpenDialog2 = new QFileDialog(this);
    OpenDialog2->setObjectName(QStringLiteral("OpenDialog2"));
    OpenDialog2->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog2->setOption(QFileDialog::HideNameFilterDetails);
    OpenDialog2->setNameFilters(listingFilters());
    OpenDialog2->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog2->setFileMode(QFileDialog::AnyFile);

    m_catalog.setMainCanvas(&m_page->canvas());
    m_catalog.setCollector(&m_treeCollector);
    connect(&m_selection, &RunSelection::pageChanged, Page, [this] { Page->update(); });
    // While a page waits for Next the page after it is drawn on the other core.
    // ORLIKA_PAGE_AHEAD=off draws every page when its turn comes, as a comparison.
    drawPagesAhead(qgetenv("ORLIKA_PAGE_AHEAD") != "off");
    qApp->installEventFilter(this);
    FormCreate();
}

TForm1::~TForm1()
{
    FormDestroy();
}

void TForm1::setWindows(TAboutBox* aboutBox, TTitleDlg* titleDlg, TForm2* form2, TFileListFr* fileListFr)
{
    m_aboutBox = aboutBox;
    m_titleDlg = titleDlg;
    m_form2 = form2;
    m_fileListFr = fileListFr;
    if (m_form2)
        m_form2->warn = [this](const QString& text) {
            m_host.messageBox(MessageRequest{text.toStdString(), "ORLIKA Copy/Move", MessageIcon::Warning,
                                             MessageButtons::Ok, MessageAnswer::Ok});
        };
}

void TForm1::createMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (TForm1::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    const auto topMenu = [this](const char* name, const QString& caption, const QString& hint) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setStatusTip(hint);
        menu->menuAction()->setToolTip(hint);
        return menu;
    };

    File1 = topMenu("File1", QStringLiteral("&File"), QStringLiteral("Open/Print/Exit"));
    Open1 = item(File1, "Open1", QStringLiteral("&Open at Beginning"), &TForm1::Open1Click);
    OpenatFile1 = item(File1, "OpenatFile1", QStringLiteral("Open Beginning at &File"), &TForm1::OpenatFile1Click);
    OpenSelectedFiles1 =
        item(File1, "OpenSelectedFiles1", QStringLiteral("Open S&elected Files"), &TForm1::OpenSelectedFiles1Click);
    OpenFolder1 = item(File1, "OpenFolder1", QStringLiteral("Open Fol&der..."), &TForm1::OpenFolder1Click);
    OpenFolder1->setStatusTip(QStringLiteral("Shows the designs of a folder you choose, also one that holds only "
                                             "subfolders"));
    // Off at start: a run shows its folder alone unless the user asks for the tree.
    IncludeSubfolders1 =
        item(File1, "IncludeSubfolders1", QStringLiteral("Include S&ubfolders"), &TForm1::IncludeSubfolders1Click);
    IncludeSubfolders1->setCheckable(true);
    IncludeSubfolders1->setStatusTip(
        QStringLiteral("Runs over a folder also show its subfolders and the designs inside zip archives"));
    File1->addSeparator();
    FindDesigns1 = item(File1, "FindDesigns1", QStringLiteral("F&ind Designs..."), &TForm1::FindDesigns1Click);
    FindDesigns1->setStatusTip(QStringLiteral("Finds the designs of a folder tree by name, format, size, stitches, "
                                              "colours or thread"));
    FindDuplicates1 =
        item(File1, "FindDuplicates1", QStringLiteral("Find Duplica&tes..."), &TForm1::FindDuplicates1Click);
    FindDuplicates1->setStatusTip(QStringLiteral("Shows the designs of a folder tree that are stored more than once"));
    File1->addSeparator();
    Print1 = item(File1, "Print1", QStringLiteral("&Print From Beginning"), &TForm1::Print1Click);
    PrintFromFile1 =
        item(File1, "PrintFromFile1", QStringLiteral("P&rint Beginning at File"), &TForm1::PrintFromFile1Click);
    PrintSelectedFiles1 =
        item(File1, "PrintSelectedFiles1", QStringLiteral("Print Selected Files"), &TForm1::PrintSelectedFiles1Click);
    File1->addSeparator();
    mnfileList = item(File1, "mnfileList", QStringLiteral("Print a File Listing"), &TForm1::mnfileListClick);
    File1->addSeparator();
    PrintSetup1 = item(File1, "PrintSetup1", QStringLiteral("Print &Setup"), &TForm1::PrintSetup1Click);
    File1->addSeparator();
    Exit1 = item(File1, "Exit1", QStringLiteral("E&xit"), &TForm1::Exit1Click);

    PageLayout1 = topMenu("PageLayout1", QStringLiteral("&Page Layout"), QStringLiteral("Set Page Layout"));
    Standard = item(PageLayout1, "Standard", QStringLiteral("&Standard w/ Remarks"), &TForm1::StandardClick);
    StandardWoRemarks =
        item(PageLayout1, "StandardWoRemarks", QStringLiteral("Standard w/o Remarks"), &TForm1::StandardWoRemarksClick);
    ThumbNail2 = PageLayout1->addMenu(QStringLiteral("&ThumbNail"));
    ThumbNail2->setObjectName(QStringLiteral("ThumbNail2"));
    ThumbNail2->menuAction()->setObjectName(QStringLiteral("ThumbNail2Action"));
    // Opening the submenu is the item's own click.
    connect(ThumbNail2, &QMenu::aboutToShow, this, &TForm1::ThumbNail2Click);
    N12page1 = item(ThumbNail2, "N12page1", QStringLiteral("12/page"), &TForm1::N12page1Click);
    N20page1 = item(ThumbNail2, "N20page1", QStringLiteral("20/page"), &TForm1::N20page1Click);
    N30page1 = item(ThumbNail2, "N30page1", QStringLiteral("30/page"), &TForm1::N30page1Click);
    Enlarged = item(PageLayout1, "Enlarged", QStringLiteral("&Enlarged/1 per Page"), &TForm1::EnlargedClick);
    for (QAction* action : {Standard, StandardWoRemarks, ThumbNail2->menuAction(), Enlarged})
        action->setCheckable(true);

    View1 = topMenu("View1", QStringLiteral("&View"), QStringLiteral("Pages or a grid to browse"));
    Pages1 = item(View1, "Pages1", QStringLiteral("&Pages"), &TForm1::showPages);
    Browse1 = item(View1, "Browse1", QStringLiteral("&Browse"), &TForm1::Browse1Click);
    Pages1->setCheckable(true);
    Pages1->setChecked(true);
    Browse1->setCheckable(true);
    Browse1->setStatusTip(QStringLiteral("A grid of a folder's designs to scroll, search, sort and select"));
    View1->addSeparator();
    // The look is a run's own, as the page layout is, but a page waiting takes it at once.
    RealisticPictures1 = View1->addAction(QStringLiteral("&Realistic Pictures"));
    RealisticPictures1->setObjectName(QStringLiteral("RealisticPictures1"));
    RealisticPictures1->setCheckable(true);
    RealisticPictures1->setStatusTip(
        QStringLiteral("The catalog's designs drawn as stitched thread, on screen and on paper"));
    connect(RealisticPictures1, &QAction::toggled, this, &TForm1::realisticPicturesToggled);

    Selected1 = topMenu("Selected1", QStringLiteral("&Selected"), QStringLiteral("Use Selected Designs"));
    DisplaySelectedFiles1 = item(Selected1, "DisplaySelectedFiles1", QStringLiteral("&Display Selected Files"),
                                 &TForm1::DisplaySelectedFiles1Click);
    PrintSelectedFiles2 = item(Selected1, "PrintSelectedFiles2", QStringLiteral("&Print Selected Files"),
                               &TForm1::PrintSelectedFiles2Click);
    PrintDesignSheet1 = item(Selected1, "PrintDesignSheet1", QStringLiteral("Print Design &Sheet"),
                             &TForm1::PrintDesignSheet1Click);
    PrintDesignSheet1->setStatusTip(QStringLiteral("Each selected design at its actual size, with its centre cross "
                                                   "and colour sequence"));
    Selected1->addSeparator();
    MoveAllSelectedFiles1 = item(Selected1, "MoveAllSelectedFiles1", QStringLiteral("Copy/Move All Selected Files"),
                                 &TForm1::MoveAllSelectedFiles1Click);
    ConvertTo1 = item(Selected1, "ConvertTo1", QStringLiteral("&Convert To..."), &TForm1::ConvertTo1Click);
    ConvertTo1->setStatusTip(QStringLiteral("Writes the selected designs for a machine into a folder; the designs "
                                            "themselves stay as they are"));
    Selected1->addSeparator();
    DeleteSelected1 = item(Selected1, "DeleteSelected1", QStringLiteral("Delete (Erase) All Selected Files"),
                           &TForm1::DeleteSelected1Click);

    About2 = topMenu("About2", QStringLiteral("&About"), QString());
    About1 = item(About2, "About1", QStringLiteral("&About"), &TForm1::About1Click);
}

void TForm1::createStatusPanel()
{
    LSelected = new QLabel(QStringLiteral("Selected: 0"), Panel1);
    LSelected->setObjectName(QStringLiteral("LSelected"));
    QFont selectedFont(QStringLiteral("Arial"));
    selectedFont.setPixelSize(13);
    selectedFont.setBold(true);
    LSelected->setFont(selectedFont);
    setTextColor(LSelected, Qt::red);
    LSelected->hide();

    LLayOut = new QLabel(QStringLiteral("Page Layout:  Standard"), Panel1);
    LLayOut->setObjectName(QStringLiteral("LLayOut"));
    LStat = new QLabel(Panel1);
    LStat->setObjectName(QStringLiteral("LStat"));

    const auto button = [this](const char* name, const QString& caption, const QString& hint, const QColor& color,
                               void (TForm1::*handler)()) {
        auto* speedButton = new QToolButton(Panel1);
        speedButton->setObjectName(QString::fromLatin1(name));
        speedButton->setText(caption);
        speedButton->setToolTip(hint);
        speedButton->setStatusTip(hint);
        speedButton->setFixedSize(kButtonWidth, kButtonHeight);
        speedButton->setFocusPolicy(Qt::NoFocus);
        setTextColor(speedButton, color);
        speedButton->hide();
        connect(speedButton, &QToolButton::clicked, this, handler);
        return speedButton;
    };
    SBCancel = button("SBCancel", QStringLiteral("&Cancel"), QStringLiteral("Cancel Display"), Qt::black,
                      &TForm1::SBCancelClick);
    SBButton = button("SBButton", QStringLiteral("&Next"), QStringLiteral("Next Page"), Qt::red, &TForm1::SBButtonClick);
    SBPrev = button("SBPrev", QStringLiteral("Prev"), QStringLiteral("Previous Page"), Qt::blue, &TForm1::SBPrevClick);

    Panel1->m_onResize = [this] {
        m_host.placeSpeedButtons();
        placePanelLabels();
    };
    placePanelLabels();
}

void TForm1::placePanelLabels()
{
    const int top = (kPanelHeight - kButtonHeight) / 2;
    LSelected->setGeometry(8, top, 120, kButtonHeight);
    LLayOut->setGeometry(136, top, 290, kButtonHeight);
    // The phase label stands just left of the speed buttons, clear of the centred caption.
    const int statLeft = std::max(LLayOut->geometry().right() + 8, Panel1->width() - roundPixel(3.75 * kButtonWidth) - 100);
    LStat->setGeometry(statLeft, top, 90, kButtonHeight);
    placeStatusCaption();
}

void TForm1::showStatusCaption(const QString& text)
{
    m_statusText = text;
    placeStatusCaption();
}

void TForm1::placeStatusCaption()
{
    constexpr int kGap = 8;
    QLabel* caption = Panel1->Caption;
    const int panelWidth = Panel1->width();
    // The room: right of the layout's name, left of the buttons and the phase shown.
    const int left = LLayOut->x() + LLayOut->fontMetrics().horizontalAdvance(LLayOut->text()) + kGap;
    int right = panelWidth - kGap;
    for (const QToolButton* button : {SBCancel, SBButton, SBPrev})
        if (button->isVisibleTo(Panel1))
            right = std::min(right, button->x() - kGap);
    if (!LStat->text().isEmpty())
        right = std::min(right, LStat->x() - kGap);
    right = std::max(right, left);
    const QFontMetrics metrics(caption->font());
    const int width = metrics.horizontalAdvance(m_statusText);
    const int middle = panelWidth / 2;
    QString shown = m_statusText;
    QRect room(left, 0, right - left, Panel1->height());
    if (middle - (width + 1) / 2 >= left && middle + (width + 1) / 2 <= right)
        room = Panel1->rect();  // in the middle of the panel, as a short caption always stood
    else if (width > room.width())
        shown = metrics.elidedText(m_statusText, Qt::ElideRight, room.width());
    caption->setGeometry(room);
    caption->setText(shown);
    caption->setToolTip(shown == m_statusText ? QString() : m_statusText);
}

void TForm1::FormCreate()
{
    // Hints are Qt's tooltips and status tips, always on.
    // Palette steps matter only on displays with a colour palette; true-colour Qt has none.
    auto& s = m_catalog.state();
    applyLayout(s, layouts::kStandard);
    checkLayout(Standard);
    s.FileList.setComparer(localNameComparer());
    s.SelectedList.setComparer(localNameComparer());
    Selected1->menuAction()->setEnabled(false);
}

void TForm1::FormDestroy()
{
    qApp->removeEventFilter(this);
    m_catalog.state().SelectedList.clear();
    m_catalog.state().FileList.clear();
}

QString TForm1::statusCaption() const
{
    return m_statusText;
}

// ---------------------------------------------------------------------------------------
// The Page Layout menu

void TForm1::checkLayout(QAction* checked)
{
    for (QAction* action : {Standard, StandardWoRemarks, ThumbNail2->menuAction(), Enlarged})
        action->setChecked(action == checked);
}

void TForm1::chooseLayout(QAction* checked, const PageLayout& layout, const QString& caption)
{
    applyLayout(m_catalog.state(), layout);
    checkLayout(checked);
    LLayOut->setText(caption);
    placeStatusCaption();
}

void TForm1::StandardClick()
{
    chooseLayout(Standard, layouts::kStandard, QStringLiteral("Page Layout: Standard"));
}

void TForm1::StandardWoRemarksClick()
{
    chooseLayout(StandardWoRemarks, layouts::kStandardWithoutRemarks, QStringLiteral("Page Layout: Stnd.w/o Remarks"));
}

void TForm1::ThumbNail2Click()
{
    auto& s = m_catalog.state();
    s.Thumbnails = true;
    s.NoRemarks = false;
    checkLayout(ThumbNail2->menuAction());
}

void TForm1::chooseThumbnailGrid(const PageLayout& layout)
{
    chooseLayout(ThumbNail2->menuAction(), layout,
                 QStringLiteral("Page Layout: Thumbnail-%1").arg(layout.columns * layout.rows));
}

void TForm1::N12page1Click()
{
    chooseThumbnailGrid(layouts::kThumbnails12);
}

void TForm1::N20page1Click()
{
    chooseThumbnailGrid(layouts::kThumbnails20);
}

void TForm1::N30page1Click()
{
    chooseThumbnailGrid(layouts::kThumbnails30);
}

void TForm1::EnlargedClick()
{
    chooseLayout(Enlarged, layouts::kEnlarged, QStringLiteral("Page Layout: Enlarged"));
}

// ---------------------------------------------------------------------------------------
// Run control, keys and mouse

void TForm1::SBButtonClick()
{
    m_catalog.SBButtonClick();
}

void TForm1::SBCancelClick()
{
    m_catalog.SBCancelClick();
}

void TForm1::SBPrevClick()
{
    m_catalog.SBPrevClick();
}

void TForm1::FormKeyDown(int& key)
{
    if (m_catalog.FormKeyDown(key))
        key = 0;
}

void TForm1::FormKeyPress(char& key)
{
    if (m_catalog.FormKeyPress(key))
        key = 0;
}

void TForm1::FormMouseUp(Qt::MouseButton button, int x, int y)
{
    if (button != Qt::RightButton)
        return;
    m_selection.toggleAt(x, y);
}

void TForm1::FormWheel(int notches)
{
    if (notches < 0)
        m_catalog.pageForward();
    else
        m_catalog.pageBack();
}

void TForm1::askPageNumber()
{
    // Only while a page waits: the run goes on from the page asked for.
    if (!m_catalog.nextShown())
        return;
    const int pages = std::max(1, m_catalog.state().PageCount);
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("GoToPageDialog"));
    dialog.setWindowTitle(QStringLiteral("ORLIKA Go to Page"));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setLabelText(QStringLiteral("Page (1 to %1):").arg(pages));
    dialog.setIntRange(1, pages);
    dialog.setIntValue(m_catalog.pageNumberOnDisplay());
    if (m_host.execDialog(dialog) == QDialog::Accepted)
        m_catalog.goToPage(dialog.intValue());
}

bool TForm1::pagingKey(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_PageDown:
        m_catalog.pageForward();
        return true;
    case Qt::Key_PageUp:
        m_catalog.pageBack();
        return true;
    case Qt::Key_Home:
        m_catalog.goToPage(1);
        return true;
    case Qt::Key_End:
        m_catalog.goToPage(m_catalog.state().PageCount);
        return true;
    case Qt::Key_G:
        if (!(event.modifiers() & Qt::ControlModifier))
            return false;
        askPageNumber();
        return true;
    default:
        return false;
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // Key preview: the window sees every key of its own controls first and consumes it.
    // Keys with Alt and bare modifiers go on, so the menu bar's accelerators still work.
    // The browse grid takes its keys as any list does.
    if (event->type() == QEvent::KeyPress && !browsing()) {
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (widget && widget->window() == this && !qobject_cast<QMenuBar*>(widget) &&
            !isModifierOnly(keyEvent->key()) && !(keyEvent->modifiers() & Qt::AltModifier)) {
            if (pagingKey(*keyEvent))
                return true;
            int key = keyCode(*keyEvent);
            FormKeyDown(key);
            const QString text = keyEvent->text();
            if (text.size() == 1 && text.at(0).unicode() < 128) {
                char character = char(text.at(0).unicode());
                FormKeyPress(character);
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        // The run ends at its next step; the window closes when it has.
        m_closeRequested = true;
        m_catalog.SBCancelClick();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace orlika
