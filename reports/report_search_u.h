#pragma once
// The row picker the statistics window uses: the system's search dialog
// (customer subsystem) in mode 0 (phone book), 2 (own customers) or 3
// (external customers). Returns column 0 of the chosen row, or empty.
#include <QString>
#include <functional>

class QWidget;
class TMainHost;

using TSearchPick = std::function<QString(QWidget* parent, int mode)>;

namespace ReportSearch {
TSearchPick Picker(TMainHost& host);
}
