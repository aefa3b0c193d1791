#pragma once
// What the print settings dialog decides, without its window: the choices
// shown for a print record, the forms offered for the chosen printer, the
// checks of OK in their order and the storing into the record and the scheme.
// Also the calibration wizard's first printer.
#include "PrintRun.h"

#include <QString>

namespace zqp {

struct TZqPrtSetChoice {
    QString Printer;  // empty: none selected
    int Paper = -1;   // -1 neither, 0 "自动选择", 1 "自定义"
    QString Form;     // the custom form chosen; empty: none
    int Orientation = -1; // 1 "正向", 2 "侧向", -1 neither
    int Feed = -1;        // 0 "靠左", 1 "居中", -1 neither
};

// The dialog as it opens for a record: a printer no longer installed is not
// selected, while paper, direction and feed still show the saved choices; a
// saved form the printer lacks is not selected.
TZqPrtSetChoice InitialChoice(const TZqBPPrtPara& para);
// The forms offered for a printer (sorted, each with its form position);
// asked afresh whenever the printer changes.
QList<std::pair<QString, int>> FormsFor(const QString& printer);
// OK's checks in order; the message of the first failure, empty when the
// choice can be stored. A custom form the chosen printer lacks is refused.
QString CheckChoice(const TZqPrtSetChoice& c);
// Stores a checked choice into the record and writes the scheme to its
// settings file; "自动选择" keeps the previous paper code and name.
void StoreChoice(const TZqPrtSetChoice& c, TZqBPPrtPara& para);

// The calibration wizard's preselected printer: the one given, else the
// default printer, else none (empty) when there is no default.
QString WizardInitialPrinter(const QString& given);

} // namespace zqp
