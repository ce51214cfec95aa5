#include "main_window/frm_preview.h"

#include <QAccessibleWidget>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "main_window/app_icon.h"

namespace {

// Screen readers announce a window as it opens; a plain QWidget would reach
// them as a pane.
QAccessibleInterface* AsWindow(const QString& className, QObject* object) {
  if (className != QLatin1String("FrmPreview") || !object->isWidgetType()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

}  // namespace

FrmPreview::FrmPreview(QWidget* owner) : QWidget(owner, Qt::Window) {
  static const bool accessible = (QAccessible::installFactory(&AsWindow), true);
  (void)accessible;
  setObjectName(QStringLiteral("frmPreview"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("go.bat"));
  setWindowIcon(AppIcon());

  Script_Text = new QPlainTextEdit(this);
  Script_Text->setObjectName(QStringLiteral("Script_Text"));
  Script_Text->setReadOnly(true);
  Script_Text->setLineWrapMode(QPlainTextEdit::NoWrap);
  Script_Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Folder_Label = new QLabel(this);
  Folder_Label->setObjectName(QStringLiteral("Folder_Label"));
  Folder_Label->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Script_Text);
  layout->addWidget(Folder_Label);
  resize(720, 240);
}

void FrmPreview::Show(const lighting_run::Result& prepared, const QString& folder) {
  const bool runs = prepared.kind == lighting_run::Result::Kind::Ready;
  QString text = QString::fromStdString(prepared.text);
  if (runs) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  }
  Script_Text->setPlainText(text);
  Folder_Label->setText(runs ? QStringLiteral("Folder: ") + folder : QString());
}

QString FrmPreview::scriptText() const { return Script_Text->toPlainText(); }
QString FrmPreview::folderText() const { return Folder_Label->text(); }
