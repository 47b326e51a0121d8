#pragma once
// One server-method command on a link: prepared once, then its inputs set by ordinal, executed,
// and its out parameters and result read by ordinal. Every reply value is checked against the
// method's declared kinds before anything is read from it.

#include "server/json.h"
#include "server/methodcatalogue.h"
#include "server/tabledata.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <variant>
#include <vector>

namespace velun {

class DBXConnection;

inline const QString kServerMethodCommandType = QStringLiteral("DataSnap.ServerMethod");

class DBXCommand
{
public:
    explicit DBXCommand(DBXConnection& link) : m_link(link) {}
    DBXCommand(const DBXCommand&) = delete;
    DBXCommand& operator=(const DBXCommand&) = delete;

    void setCommandType(const QString& type) { m_commandType = type; }
    const QString& commandType() const { return m_commandType; }
    // "TServerMethods1." followed by the method name.
    void setCommandText(const QString& text);
    const QString& commandText() const { return m_commandText; }

    // Looks the method up in the catalogue; throws ProtocolError for an unknown method or command type.
    void prepare();
    bool prepared() const { return m_signature != nullptr; }
    int prepareCount() const { return m_prepareCount; }
    const MethodSignature& signature() const;

    // Inputs by ordinal; throws ProtocolError when the ordinal is not an input of that kind.
    void setText(int ordinal, const QString& value);
    void setInt32(int ordinal, qint32 value);
    void setInt64(int ordinal, qint64 value);
    void setDouble(int ordinal, double value);
    void setBoolean(int ordinal, bool value);
    // A record object ({"type","id","fields"}) or a null value for no record.
    void setRecord(int ordinal, json::Value recordOrNull);

    // Sends the request and checks the reply. Throws ServerError for an error reply, ProtocolError
    // for a reply that does not fit the method, ConnectionError when the link fails.
    void execute();

    // Out parameters and the result, by ordinal, after execute().
    QString getText(int ordinal) const;
    qint32 getInt32(int ordinal) const;
    qint64 getInt64(int ordinal) const;
    double getDouble(int ordinal) const;
    bool getBoolean(int ordinal) const;
    // The record object (of the declared type) or a null value.
    const json::Value& getRecord(int ordinal) const;
    const TableData& getTable(int ordinal) const;
    const QByteArray& getStream(int ordinal) const;
    // Hands a table or stream over without copying it; the command keeps an empty one.
    TableData takeTable(int ordinal);
    QByteArray takeStream(int ordinal);

    // The request payload execute() would send now (for diagnostics and tests).
    QByteArray requestPayload() const;

private:
    using Received = std::variant<std::monostate, QString, qint32, qint64, double, bool, json::Value, TableData, QByteArray>;

    const ParamSignature& inputParam(int ordinal, ParamKind expected) const;
    void setInput(int ordinal, ParamKind expected, json::Value tagged);
    void readReply(const QByteArray& payload);
    Received decodeValue(const json::Value& tagged, ParamKind kind, const QString& recordType) const;
    template <class T>
    const T& received(int ordinal) const;
    template <class T>
    T& received(int ordinal) { return const_cast<T&>(std::as_const(*this).received<T>(ordinal)); }

    DBXConnection& m_link;
    QString m_commandType;
    QString m_commandText;
    const MethodSignature* m_signature = nullptr;
    int m_prepareCount = 0;
    std::vector<json::Value> m_inputs;   // tagged, by ordinal; null until set
    std::vector<Received> m_received;    // by ordinal: out parameters and the result
};

} // namespace velun
