#include "main_window/frm_about.h"

#include <QLabel>
#include <QPushButton>

#include "main_window/app_icon.h"
#include "main_window/controls.h"
#include "main_window/twips.h"
#include "main_window/window_font.h"

FrmAbout::FrmAbout(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("frmAbout"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("About..."));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(Twips(4965), Twips(1650));
  setFont(WindowFont(8));

  picIcon = new QLabel(this);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  picIcon->setGeometry(TwipsRect(120, 120, 720, 720));
  picIcon->setPixmap(AppIconPixmap(Twips(720)));

  lblTitle = Placed(new QLabel(QStringLiteral("Quillon's Stormline Batch Lighting Tool and lmList.dat Generator"), this),
                    "lblTitle", TwipsRect(1000, 90, 3840, 480));
  lblTitle->setWordWrap(true);
  lblTitle->setFont(WindowFont(8, true));
  lblVersion = Placed(new QLabel(QStringLiteral("Version 1.0  Released 10/11/2004"), this), "lblVersion",
                      TwipsRect(1000, 600, 3840, 255));
  lblDescription = Placed(new QLabel(QStringLiteral("Contact: Quillon, Stormline modding forums."), this),
                          "lblDescription", TwipsRect(1000, 870, 3840, 255));
  cmdOK = Placed(new QPushButton(QStringLiteral("OK"), this), "cmdOK", TwipsRect(3720, 1170, 1125, 375));
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);
}

// Escape arrives as reject(), which closes and discards the box as well.
void FrmAbout::cmdOK_Click() { close(); }
