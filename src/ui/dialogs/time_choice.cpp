#include "ui/dialogs/time_choice.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>

#include "ui/translate.h"

namespace zel {
namespace {

// Two exclusive buttons; the first is checked unless `second` says otherwise.
void Pair(QWidget* dialog, QRadioButton*& first, const QString& firstText, QRadioButton*& other,
          const QString& otherText, bool second) {
  first = new QRadioButton(firstText, dialog);
  other = new QRadioButton(otherText, dialog);
  auto* group = new QButtonGroup(dialog);
  group->addButton(first);
  group->addButton(other);
  (second ? other : first)->setChecked(true);
}

void AddRow(QGridLayout* grid, int row, QRadioButton* a, QRadioButton* b) {
  auto* line = new QHBoxLayout;
  line->addWidget(a);
  line->addWidget(b);
  grid->addLayout(line, row, 1);
}

}  // namespace

bool TimeChoice::PerCycle() const {
  return perCycle->isChecked();
}

bool TimeChoice::Tempo() const {
  return tempo->isChecked();
}

TimeChoice MakeTimeChoice(QWidget* dialog, bool perCycle, bool tempo) {
  TimeChoice c;
  Pair(dialog, c.perFrame, Tr("1ｺﾏの表示時間"), c.perCycle, Tr("1巡の表示時間"), perCycle);
  Pair(dialog, c.hundredths, Tr("0.01秒単位"), c.tempo, Tr("ﾃﾝﾎﾟ(回/分)"), tempo);
  return c;
}

void AddTimeChoiceRows(QGridLayout* grid, int& row, const TimeChoice& choice) {
  AddRow(grid, row++, choice.perFrame, choice.perCycle);
  AddRow(grid, row++, choice.hundredths, choice.tempo);
}

}  // namespace zel
