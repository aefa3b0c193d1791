#pragma once
// Templates built in code for the printing tests.
#include "model/ZqBasicItems.h"
#include "model/ZqCurrency.h"
#include "model/ZqDate.h"
#include "model/ZqTemplate.h"

#include <memory>

template <class T>
T* addItem(TZqTemplate& t, int kind, const QString& name, int x, int y, int w, int h)
{
    auto it = CreateItem(kind, true);
    it->SetNameRaw(name);
    it->XPos = x;
    it->YPos = y;
    it->Width = w;
    it->Height = h;
    return static_cast<T*>(t.AddItem(std::move(it)));
}

inline TZqCurrency* addAmount(TZqTemplate& t, const QString& name, int x, int y, int w, int h, int high, int low)
{
    auto* c = addItem<TZqCurrency>(t, itCurrency, name, x, y, w, h);
    c->High = static_cast<quint8>(high);
    c->Low = static_cast<quint8>(low);
    c->ShowCurrencyColumn = 0;
    return c;
}
