#include "ui/dialogs/about_dialog.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "ui/dialogs/program_resources.h"
#include "ui/translate.h"

namespace zel {

void ShowAboutDialog(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(Tr("Zel のバージョン情報"));
  auto* icon = new QLabel(&dialog);
  icon->setPixmap(CommandIcon(kCmdStart).pixmap(32, 32));
  auto* title = new QLabel(Tr("Zel アニメGIF編集ソフト"), &dialog);
  auto* version =
      new QLabel(QStringLiteral("Version ") + QString::fromLatin1(kProgramVersion), &dialog);
  auto* close = new QPushButton(Tr("閉じる"), &dialog);
  close->setDefault(true);
  QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(title);
  texts->addWidget(version);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(texts, 1);
  top->addWidget(close, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(top);
  dialog.exec();
}

}  // namespace zel
