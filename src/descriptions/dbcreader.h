#pragma once

#include "descriptions/dbcdatabase.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>

class DbcTokenizer;

// Reads a CAN database in Vector's DBC format into a DbcDatabase. A bad statement gives a warning
// "file:line: reason" and is left out; the rest loads. Text that holds no DBC statement at all is
// refused. Input is untrusted: every number and placement is checked before it is used.
class DbcReader
{
    Q_DECLARE_TR_FUNCTIONS(DbcReader)

public:
    // Warnings kept; the ones beyond are only counted.
    static constexpr int MaxWarnings = 1000;
    // The longest message: a J1939 transport-protocol group.
    static constexpr int MaxMessageLength = 1785;
    static constexpr int MaxSignalsPerMessage = 4096;

    // false when the text is not a DBC database (errorString() says why).
    bool parse(const QByteArray &text, const QString &fileName);
    bool readFile(const QString &path);

    const DbcDatabase &database() const { return m_database; }
    QStringList warnings() const { return m_warnings; }
    int warningCount() const { return m_warningCount; }
    QString errorString() const { return m_error; }

private:
    void parseStatement(const QByteArray &keyword, const char *begin, const char *end);
    void parseMessage(DbcTokenizer &tokens);
    void parseSignal(DbcTokenizer &tokens);
    void parseComment(DbcTokenizer &tokens);
    void parseAttributeDefinition(DbcTokenizer &tokens);
    void parseAttributeDefault(DbcTokenizer &tokens);
    void parseAttribute(DbcTokenizer &tokens);
    void parseValueTexts(DbcTokenizer &tokens, bool isTable);
    void parseValueType(DbcTokenizer &tokens);
    void parseMuxRanges(DbcTokenizer &tokens);
    void finish();

    DbcMessage *messageById(DbcTokenizer &tokens, const char *what);
    DbcSignal *signalByName(DbcMessage *message, DbcTokenizer &tokens, const char *what);
    void warn(const QString &reason);

    DbcDatabase m_database;
    QStringList m_warnings;
    int m_warningCount = 0;
    QString m_error;
    QString m_fileName;
    int m_line = 0;
    int m_currentMessage = -1;
    bool m_skippingMessage = false;
    QHash<quint32, int> m_messageIndex; // by the identifier as the file writes it
    QHash<QString, QStringList> m_enumValues;
    QHash<QString, QString> m_attributeDefaults;
    QString m_protocolType;
};
