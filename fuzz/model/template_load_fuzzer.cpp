// Any byte string must load or fail with zq::Error; a loaded template must
// save and reload to the same bytes.
#include "base/Error.h"
#include "model/ClipBlock.h"
#include "model/ZqTemplate.h"

#include <QGuiApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TZqTemplate t;
    try {
        t.LoadFromStream(bytes);
        const QByteArray saved = t.SaveToStream();
        TZqTemplate again;
        again.LoadFromStream(saved);
        if (again.SaveToStream() != saved)
            std::abort();
    } catch (const zq::Error&) {
    }
    try {
        ReadClipBlock(bytes);
    } catch (const zq::Error&) {
    }
    return 0;
}
