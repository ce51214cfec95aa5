#include "main_window/qt_ui_services.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

#include "platform/wine_folder.h"

namespace {

QString ChooseFile(QWidget* parent, const UiServices::FileRequest& request, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  QtUiServices::Prepare(dialog, request, mode);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

}  // namespace

QStringList QtUiServices::NameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
#ifndef _WIN32
    // "*.*" means every file on Windows; here it would hide names without a dot.
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
#endif
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << parts[i] + QStringLiteral(" (") + pattern + QLatin1Char(')');
  }
  return filters;
}

void QtUiServices::Prepare(QFileDialog& dialog, const FileRequest& request, QFileDialog::AcceptMode mode) {
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The tool asks its own overwrite question; the user is not asked twice.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  // The descriptions show as given; the patterns in brackets are Qt's.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(NameFilters(request.filter));
  // A game folder typed for Wine opens where Wine keeps it.
  if (const auto folder = platform::DialogFolderFor(request.initialFolder.toStdString())) {
    dialog.setDirectory(QString::fromStdString(*folder));
  }
  dialog.selectFile(request.fileName);
}

QString QtUiServices::SaveFileName(QWidget* parent, const FileRequest& request) {
  return ChooseFile(parent, request, QFileDialog::AcceptSave);
}

QString QtUiServices::OpenFileName(QWidget* parent, const FileRequest& request) {
  return ChooseFile(parent, request, QFileDialog::AcceptOpen);
}

UiServices::Answer QtUiServices::ShowMessage(QWidget* parent, const Message& message) {
  QMessageBox box(parent);
  box.setWindowTitle(message.title.isEmpty() ? QCoreApplication::applicationName() : message.title);
  box.setText(message.text);
  constexpr QMessageBox::Icon kIcons[] = {QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Warning};
  box.setIcon(kIcons[static_cast<int>(message.icon)]);  // in the order of Icon
  if (message.buttons == Buttons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(message.noIsDefault ? QMessageBox::No : QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  const int pressed = box.exec();
  if (message.buttons == Buttons::Ok) return Answer::Ok;
  return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
