// The program's message boxes: caption "zel", an exclamation icon for messages and a
// question icon for yes/no questions.
#pragma once

#include <QString>
#include <functional>

#include "resources/string_table.h"

class QWidget;

namespace zel {

// Shows `text` with an OK button and waits until it is closed.
void ShowMessage(QWidget* parent, const QString& text);
// Shows `text` through `hook` when one is set (a test or a caller that shows messages its
// own way), else as ShowMessage does.
void ShowMessageThrough(const std::function<void(const QString&)>& hook, QWidget* parent,
                        const QString& text);
// Shows the string-table message `id` (nothing for an unknown number).
void ShowMessageId(QWidget* parent, MessageId id);
// Asks `text` with Yes and No; true for Yes.
bool AskYesNo(QWidget* parent, const QString& text);

}  // namespace zel
