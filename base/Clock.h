#pragma once
// "Now" comes from one place so tests can fix it.
namespace zq {

class Clock {
public:
    virtual ~Clock() = default;
    // Local date-time as a day serial (see DateSerial.h).
    virtual double now() const = 0;
};

const Clock& clock();
// Installs a clock (tests); nullptr restores the system clock. Not owned.
void setClock(const Clock* c);

class FixedClock : public Clock {
public:
    explicit FixedClock(double serial) : m_now(serial) {}
    double now() const override { return m_now; }
    void set(double serial) { m_now = serial; }

private:
    double m_now;
};

} // namespace zq
