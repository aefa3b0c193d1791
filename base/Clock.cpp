#include "Clock.h"

#include "DateSerial.h"

#include <QDateTime>

namespace zq {
namespace {

class SystemClock : public Clock {
public:
    double now() const override { return dateTimeToSerial(QDateTime::currentDateTime()); }
};

const SystemClock g_system;
const Clock* g_clock = &g_system;

} // namespace

const Clock& clock() { return *g_clock; }
void setClock(const Clock* c) { g_clock = c ? c : &g_system; }

} // namespace zq
