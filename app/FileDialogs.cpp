// SPDX-License-Identifier: MIT
// The main window's dialogs that ask for files and folders: the open dialogs with the
// formats' filters, a folder, the name of a PDF file, the destination of Copy/Move; and
// the design sheet's options.
#include "app/Orlika.h"

#include "app/Filemove.h"
#include "decoders/Registry.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QVBoxLayout>

namespace orlika {

namespace {

// A dialog's filters as Qt writes them: the text, then the patterns separated by blanks.
QStringList qtFilters(const std::vector<DialogFilter>& filters)
{
    QStringList list;
    for (const DialogFilter& filter : filters) {
        QStringList patterns;
        for (const std::string& pattern : filter.patterns)
            patterns << QString::fromStdString(pattern);
        // "All Files" lists every entry; Qt's "*" shows names without a dot in the dialog too.
        if (filter.index == FilterIndex::AllFiles)
            patterns = QStringList{QStringLiteral("*")};
        list << QString::fromStdString(filter.text) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                    QLatin1Char(')');
    }
    return list;
}

// Shows the filter in the dialog; one it does not list shows the first.
void selectFilter(QFileDialog& dialog, const std::vector<DialogFilter>& filters, const QStringList& texts,
                  FilterIndex index)
{
    int position = 0;
    for (std::size_t i = 0; i < filters.size(); ++i)
        if (filters[i].index == index)
            position = int(i);
    dialog.selectNameFilter(texts.at(position));
}

// The filter the dialog closed with; with the patterns hidden Qt names it by its text alone.
FilterIndex selectedFilter(const QFileDialog& dialog, const std::vector<DialogFilter>& filters,
                           const QStringList& texts, FilterIndex otherwise)
{
    const QString selected = dialog.selectedNameFilter();
    for (int i = 0; i < texts.size(); ++i) {
        const QString& filter = texts.at(i);
        if (filter == selected || filter.left(filter.lastIndexOf(QStringLiteral(" ("))) == selected)
            return filters[std::size_t(i)].index;
    }
    return otherwise;
}

} // namespace

const QStringList& TForm1::openFilters()
{
    static const QStringList filters = qtFilters(openDialogFilters());
    return filters;
}

const QStringList& TForm1::listingFilters()
{
    static const QStringList filters = qtFilters(listingDialogFilters());
    return filters;
}

bool TForm1::executeOpenDialog(bool multiSelect)
{
    auto& dialog = m_catalog.state().OpenDialog1;
    // A typed name need not exist for a single file; a multiple selection picks files.
    OpenDialog1->setFileMode(multiSelect ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    selectFilter(*OpenDialog1, openDialogFilters(), openFilters(), dialog.FilterIndex);
    if (!dialog.FileName.empty())
        OpenDialog1->selectFile(QString::fromStdString(dialog.FileName));
    if (m_host.execDialog(*OpenDialog1) != QDialog::Accepted)
        return false;
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty())
        return false;
    dialog.Files.clear();
    for (const QString& file : chosen)
        dialog.Files.push_back(file.toStdString());
    dialog.FileName = dialog.Files.front();
    dialog.FilterIndex = selectedFilter(*OpenDialog1, openDialogFilters(), openFilters(), dialog.FilterIndex);
    return true;
}

bool TForm1::executeListingDialog(ListingFileChoice& choice)
{
    selectFilter(*OpenDialog2, listingDialogFilters(), listingFilters(), m_listingFilter);
    if (m_host.execDialog(*OpenDialog2) != QDialog::Accepted)
        return false;
    const QStringList chosen = OpenDialog2->selectedFiles();
    if (chosen.isEmpty())
        return false;
    m_listingFilter = selectedFilter(*OpenDialog2, listingDialogFilters(), listingFilters(), m_listingFilter);
    choice.fileName = chosen.constFirst().toStdString();
    choice.filterIndex = m_listingFilter;
    return true;
}

bool TForm1::executeCopyMoveDialog(CopyMoveDestination& destination)
{
    if (!m_form2 || m_host.execDialog(*m_form2) != QDialog::Accepted)
        return false;
    destination.folder = m_form2->directory().toStdString();
    destination.copy = m_form2->CopyBox1->isChecked();
    return true;
}

std::optional<std::string> TForm1::askForFolder(const QString& title, const QString& objectName)
{
    QFileDialog dialog(this, title);
    dialog.setObjectName(objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const std::string& shown = m_catalog.state().FolderPath;
    dialog.setDirectory(shown.empty() ? QDir::homePath() : QString::fromStdString(shown));
    if (m_host.execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    std::string folder = QDir::cleanPath(dialog.selectedFiles().constFirst()).toStdString();
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

QString TForm1::askPdfFileName(const QString& title, const QString& proposedName, QString& lastChosen)
{
    QFileDialog dialog(this, title);
    dialog.setObjectName(QStringLiteral("PdfFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDF files (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(lastChosen.isEmpty() ? QDir::home().filePath(proposedName) : lastChosen);
    if (m_host.execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    lastChosen = dialog.selectedFiles().constFirst();
    return lastChosen;
}

std::optional<bool> TForm1::askSheetRealistic()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("DesignSheetDialog"));
    dialog.setWindowTitle(QStringLiteral("ORLIKA Print Design Sheet"));
    auto* realistic = new QCheckBox(QStringLiteral("Realistic picture"), &dialog);
    realistic->setObjectName(QStringLiteral("RealisticPicture"));
    realistic->setToolTip(QStringLiteral("The design drawn as stitched thread instead of a line a stitch"));
    realistic->setChecked(m_sheetRealistic);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(realistic);
    layout->addWidget(buttons);
    if (m_host.execDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    m_sheetRealistic = realistic->isChecked();
    return m_sheetRealistic;
}

} // namespace orlika
