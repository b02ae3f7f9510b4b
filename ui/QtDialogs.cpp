#include "QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace qob {

const char* const QtDialogs::kDefaultTitle = "霁虹珠台 QOB";

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QString titleOrDefault(const std::string& title) {
    return title.empty() ? QString::fromUtf8(QtDialogs::kDefaultTitle) : qs(title);
}

// A folder written with "\" separators, relative ones taken from the program's folder.
QString resolveFolder(const std::string& folder, const QString& programFolder) {
    QString path = QDir::fromNativeSeparators(qs(folder));
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.isEmpty()) return {};
    return QDir::cleanPath(QDir(programFolder).absoluteFilePath(path));
}

}  // namespace

MsgAnswer QtDialogs::messageBox(QWidget* parent, const std::string& text, MsgButtons buttons,
                                MsgIcon icon, const std::string& title) {
    QMessageBox box(parent);
    box.setWindowTitle(titleOrDefault(title));
    box.setText(qs(text));
    box.setIcon(icon == MsgIcon::Critical      ? QMessageBox::Critical
                : icon == MsgIcon::Information ? QMessageBox::Information
                                               : QMessageBox::NoIcon);
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    if (buttons == MsgButtons::OkCancel) {
        // Escape and closing the box count as Cancel.
        box.setEscapeButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
    } else {
        box.setEscapeButton(ok);
    }
    box.exec();
    return box.clickedButton() == ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}

std::optional<std::string> QtDialogs::inputBox(QWidget* parent, const std::string& prompt,
                                               const std::string& title,
                                               const std::string& defaultText) {
    QInputDialog box(parent);
    box.setWindowTitle(titleOrDefault(title));
    box.setLabelText(qs(prompt));
    box.setTextValue(qs(defaultText));
    box.setOkButtonText(QStringLiteral("确定"));
    box.setCancelButtonText(QStringLiteral("取消"));
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue().toStdString();
}

QStringList QtDialogs::nameFilters(const std::string& filter) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(' ');
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

bool QtDialogs::showOpen(QWidget* parent, CommonDialog& dialog, const QString& programFolder) {
    return showFileDialog(parent, dialog, programFolder, false);
}

bool QtDialogs::showSave(QWidget* parent, CommonDialog& dialog, const QString& programFolder) {
    return showFileDialog(parent, dialog, programFolder, true);
}

bool QtDialogs::showFileDialog(QWidget* parent, CommonDialog& dialog, const QString& programFolder,
                               bool save) {
    QFileDialog box(parent, titleOrDefault(dialog.dialogTitle));
    box.setOption(QFileDialog::DontUseNativeDialog);
    box.setOption(QFileDialog::HideNameFilterDetails);
    box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode((dialog.flags & kFlagFileMustExist) ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite, !(dialog.flags & kFlagOverwritePrompt));
    box.setDefaultSuffix(qs(dialog.defaultExt));
    const QStringList filters = nameFilters(dialog.filter);
    if (!filters.isEmpty()) box.setNameFilters(filters);

    // A proposed name with a folder opens that folder; otherwise the initial folder.
    const QFileInfo proposed(QDir::fromNativeSeparators(qs(dialog.fileName)));
    QString folder = resolveFolder(dialog.initDir, programFolder);
    if (!dialog.fileName.empty() && proposed.fileName() != qs(dialog.fileName))
        folder = proposed.absolutePath();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) box.setDirectory(folder);
    if (!dialog.fileName.empty()) box.selectFile(proposed.fileName());

    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
    dialog.fileName = QDir::toNativeSeparators(box.selectedFiles().front()).toStdString();
    return !dialog.fileName.empty();
}

}  // namespace qob
