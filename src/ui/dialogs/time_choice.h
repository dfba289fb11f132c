// The two pairs of radio buttons under a "表示時間" value in the generator dialogs: the time
// for one frame or for the whole cycle, in hundredths of a second or as a tempo.
#pragma once

class QGridLayout;
class QRadioButton;
class QWidget;

namespace zel {

struct TimeChoice {
  QRadioButton* perFrame = nullptr;    // "1ｺﾏの表示時間"
  QRadioButton* perCycle = nullptr;    // "1巡の表示時間"
  QRadioButton* hundredths = nullptr;  // "0.01秒単位"
  QRadioButton* tempo = nullptr;       // "ﾃﾝﾎﾟ(回/分)"

  bool PerCycle() const;
  bool Tempo() const;
};

// The buttons, each pair exclusive, checked as `perCycle` and `tempo` say.
TimeChoice MakeTimeChoice(QWidget* dialog, bool perCycle, bool tempo);
// The two pairs as rows `row` and `row + 1` of column 1; `row` ends after them.
void AddTimeChoiceRows(QGridLayout* grid, int& row, const TimeChoice& choice);

}  // namespace zel
