#pragma once
// Per-printer calibration: the print offsets that the measured margins and
// the paper's feed edge give, the calibration page with its two reference
// lines 40 mm from the origin, and the saving of the wizard's measurements.
#include "app/Settings.h"
#include "platform/Canvas.h"

#include <QString>
#include <optional>

namespace zqp {

// Margins the print run reads: finite, 0 to 300 mm; anything else counts as 40.
inline constexpr double kMaxMargin = 300.0;
double SaneMargin(double mm);
zq::Calibration SaneCalibration(const zq::Calibration& c);

// A typed margin, read locale-free ("." separator); nullopt unless a finite
// number from 0 to 300.
std::optional<double> ParseMargin(const QString& text);

struct TZqOffsets {
    int dx = 0, dy = 0; // template pixels
    bool operator==(const TZqOffsets&) const = default;
};

// The shift of every item on the page. tw, th: the template's size; W, H: the
// form's portrait width and height in template pixels; orientation 1 portrait,
// anything else landscape; feed 0 left, 1 centre, other the far edge; angle
// the driver's landscape rotation. Throws zq::Error when the shift leaves the
// int range (never wraps).
TZqOffsets ComputeOffsets(int tw, int th, int W, int H, int orientation, int feed, int angle,
                          const zq::Calibration& margins);

// The calibration page in template pixels of an A4 page (794 x 1123).
void DrawCalibrationPage(zq::Canvas& dc, bool landscape);
// Prints it on A4 to a printer (the PDF target writes `outputFile`).
void PrintCalibrationPage(const QString& printer, bool landscape, const QString& outputFile = {});

// The wizard's "保存": checks the four texts page by page (the first bad one
// throws zq::Error with its message, nothing is written) and replaces the
// printer's section with the time and the margins.
void SaveCalibration(const zq::Settings& settings, const QString& printer, const QString& portraitLeft,
                     const QString& portraitTop, const QString& landscapeLeft, const QString& landscapeTop);

} // namespace zqp
