#pragma once
// The JSON form of a template for scripts and samples. Field names are the
// template's own; fields left out of an item take a new item's defaults.
#include <QByteArray>

class TZqTemplate;

QByteArray TemplateToJson(const TZqTemplate& t);
// Throws zq::Error naming the offending field; the template is left untouched then.
// Returns true when some text had characters GBK cannot hold (they became "?").
bool TemplateFromJson(QByteArrayView json, TZqTemplate& t);
