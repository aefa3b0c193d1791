#pragma once
// Copied print items as one memory block: i32 count, then per item u8 kind
// code, i32 declared length (ClipSizeFull) and that many bytes of the item's
// full clipboard form. Readers take each item from its declared length only.
#include "model/ZqItem.h"

#include <QByteArray>
#include <memory>
#include <vector>

QByteArray WriteClipBlock(const std::vector<const TZqItem*>& items);
// Throws zq::Error for a malformed block; nothing is returned half-read.
std::vector<std::unique_ptr<TZqItem>> ReadClipBlock(QByteArrayView block);
