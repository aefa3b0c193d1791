#pragma once
// Linear barcodes of 23 symbologies: a text becomes a module string (one
// character per bar or space, naming its width class), which is drawn stretched
// into a rectangle of a canvas, rotated by quarter turns, with the
// human-readable text.
#include "platform/Canvas.h"

#include <QRect>
#include <QString>

#include <array>
#include <string>

namespace zq {

enum TzqBarcodType : int {
    bcCode_2_5_interleaved = 0,
    bcCode_2_5_industrial = 1,
    bcCode_2_5_matrix = 2,
    bcCode39 = 3,
    bcCode39Extended = 4,
    bcCode128A = 5,
    bcCode128B = 6,
    bcCode128C = 7,
    bcCode93 = 8,
    bcCode93Extended = 9,
    bcCodeMSI = 10,
    bcCodePostNet = 11,
    bcCodeCodabar = 12,
    bcCodeEAN8 = 13,
    bcCodeEAN13 = 14,
    bcCodeUPC_A = 15,
    bcCodeUPC_E0 = 16,
    bcCodeUPC_E1 = 17,
    bcCodeUPC_Supp2 = 18,
    bcCodeUPC_Supp5 = 19,
    bcCodeEAN128A = 20,
    bcCodeEAN128B = 21,
    bcCodeEAN128C = 22,
};

enum TzqCheckSumMethod : int { csmNone = 0, csmModulo10 = 1 };

// The result of encoding a text.
// Module string alphabet: '0'..'3' spaces of width w1..w4, '5'..'8' bars of
// width w1..w4, 'A'..'D' short bars (two fifths of the height) of width w1..w4.
struct BarcodeModules {
    std::string modules;
    QString text;              // the text as encoded and shown: padded, check digit added
    double ratio = 2.0;        // the wide-to-narrow ratio after clamping
    std::array<int, 4> w{};    // module widths w1..w4
    int width = 0;             // natural width: sum of the module widths
};

// Encodes a text; a pure function of its arguments. Throws zq::Error.
BarcodeModules encodeBarcode(TzqBarcodType typ, const QString& text, bool checksum,
                             TzqCheckSumMethod method, int modul = 1, double ratio = 2.0);

// Sum of the widths of a module string (throws on a character outside the alphabet).
int moduleStringWidth(const std::string& modules, const std::array<int, 4>& w);

// The EAN modulo-10 check digit: weights 3 and 1 alternately from the rightmost digit.
int ean10CheckDigit(QStringView digits);

class TzqBarcod {
public:
    QString Text;
    int Modul = 1;
    double Ratio = 2.0;
    TzqBarcodType Typ = bcCodeEAN13;
    bool Checksum = false;
    TzqCheckSumMethod CheckSumMethod = csmModulo10;
    double Angle = 0;  // degrees counter-clockwise, taken to the nearest quarter turn
    int Height = 0;    // bar height in barcode units, set by Draw
    zq::Color Color = kWhite;
    zq::Color ColorBar = kBlack;

    // Encodes Text (storing back the rewritten Text and the clamped Ratio).
    BarcodeModules Encode();
    // Natural width in modules of Modul units.
    int Width() { return Encode().width; }
    // Draws the barcode stretched into r and, when asked, its human-readable
    // text. Throws zq::Error when the text cannot be encoded (nothing is drawn).
    void Draw(Canvas& canvas, const QRect& r, bool withText);
};

} // namespace zq
