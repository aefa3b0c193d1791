#include "ClipBlock.h"

#include "ZqTemplate.h"
#include "base/Error.h"

using namespace zq;

QByteArray WriteClipBlock(const std::vector<const TZqItem*>& items)
{
    ByteWriter w;
    w.i32(static_cast<int>(items.size()));
    for (const TZqItem* it : items) {
        ByteWriter form;
        it->WriteClip(form);
        it->WriteClipTail(form);
        const int declared = it->ClipSizeFull();
        QByteArray bytes = form.take();
        if (bytes.size() < declared)
            bytes.append(QByteArray(declared - bytes.size(), '\0'));
        w.u8(static_cast<quint8>(ItemTypeOf(*it)));
        w.i32(static_cast<int>(bytes.size()));
        w.bytes(bytes);
    }
    return w.take();
}

std::vector<std::unique_ptr<TZqItem>> ReadClipBlock(QByteArrayView block)
{
    try {
        ByteReader r(block);
        const int n = r.count(5);
        std::vector<std::unique_ptr<TZqItem>> items;
        for (int i = 0; i < n; ++i) {
            const int kind = r.u8();
            const std::int32_t len = r.i32();
            const QByteArray form = r.bytes(len);
            ByteReader fr(form);
            std::unique_ptr<TZqItem> item = CreateItem(kind, false);
            item->ReadClip(fr);
            item->ReadClipTail(fr);
            items.push_back(std::move(item));
        }
        return items;
    } catch (const Error& e) {
        throw Error(QStringLiteral("剪贴板中的数据无效：%1").arg(e.message()));
    }
}
