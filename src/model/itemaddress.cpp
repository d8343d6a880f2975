#include "model/itemaddress.h"

QString ItemAddress::keyword(int kind)
{
    switch (kind) {
    case Sid:
        return QStringLiteral("sid");
    case Eid:
        return QStringLiteral("eid");
    case J1939:
        return QStringLiteral("j1939");
    default:
        return QString();
    }
}

int ItemAddress::kindForKeyword(const QString &word)
{
    for (int kind : {Sid, Eid, J1939}) {
        if (word == keyword(kind))
            return kind;
    }
    return None;
}
