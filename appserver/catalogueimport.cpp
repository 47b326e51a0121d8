#include "appserver/catalogueimport.h"

#include "appserver/database.h"

#include <QHash>
#include <QMap>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QVariant>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace velun::appserver {
namespace {

[[noreturn]] void refuse(int line, const QString& why)
{
    throw CatalogueImportError(QStringLiteral("Satır %1: %2").arg(line).arg(why));
}

// ---- reading the file ---------------------------------------------------------------------------

QString decodeUtf8(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    int line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString ignored = decoder.decode(QByteArrayView(bytes).sliced(start, end - start));
        if (decoder.hasError())
            refuse(line, QStringLiteral("geçersiz UTF-8 baytları (dosya UTF-8 olarak kaydedilmeli)"));
        start = end + 1;
        ++line;
    }
    return QString::fromUtf8(bytes);
}

QChar detectDelimiter(const QString& text)
{
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted && c == u';')
            ++semicolons;
        else if (!quoted && c == u',')
            ++commas;
        else if (!quoted && c == u'\t')
            ++tabs;
    }
    if (semicolons >= commas && semicolons >= tabs && semicolons > 0)
        return u';';
    if (tabs > commas)
        return u'\t';
    return u',';
}

struct CsvRecord
{
    int line = 0; // where the record starts
    QStringList fields;
};

std::vector<CsvRecord> parseCsv(const QString& text, QChar delimiter)
{
    std::vector<CsvRecord> records;
    CsvRecord current{1, {}};
    QString field;
    bool quoted = false;      // inside a quoted field
    bool afterQuote = false;  // a quoted field has just closed
    bool fieldStarted = false;
    int line = 1;
    int quoteLine = 1;

    const auto endField = [&] {
        current.fields.append(field);
        field.clear();
        afterQuote = false;
        fieldStarted = false;
    };
    const auto endRecord = [&] {
        endField();
        const bool blank = current.fields.size() == 1 && current.fields.first().isEmpty();
        if (!blank)
            records.push_back(std::move(current));
        current = CsvRecord{line + 1, {}};
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == delimiter) {
            endField();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue; // the \n ends the record
        } else if (c == u'\n' || c == u'\r') {
            endRecord();
            ++line;
        } else if (c == u'"' && !fieldStarted && !afterQuote) {
            quoted = true;
            fieldStarted = true;
            quoteLine = line;
        } else if (afterQuote) {
            refuse(line, QStringLiteral("kapanan tırnaktan sonra ayraç bekleniyordu"));
        } else {
            if (c == u'"')
                refuse(line, QStringLiteral("tırnak yalnızca alanın başında açılabilir"));
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted)
        refuse(quoteLine, QStringLiteral("kapanmamış tırnak"));
    if (!field.isEmpty() || !current.fields.isEmpty() || afterQuote)
        endRecord();
    return records;
}

// ---- the columns --------------------------------------------------------------------------------

enum class Kind { Text, Integer, Number, Flag, Oem, Quantity, OnTheWay };

struct Column
{
    QString header;         // as in the file, upper case
    QString stockColumn;    // column of stoklar; empty for OEM and warehouse columns
    Kind kind = Kind::Text;
    double min = 0;
    double max = std::numeric_limits<double>::infinity();
    int oemIndex = 0;       // OEMn
    int warehouse = 0;      // DEPONO
};

const QStringList& textColumns()
{
    static const QStringList columns = {
        QStringLiteral("BARKOD"),    QStringLiteral("ADI"),       QStringLiteral("FINISHKOD"), QStringLiteral("PKOD"),
        QStringLiteral("DPKOD"),     QStringLiteral("URETICIKODU"), QStringLiteral("DIGERADI"), QStringLiteral("MARKA"),
        QStringLiteral("MODEL"),     QStringLiteral("OZELKOD"),   QStringLiteral("ANAGRUP"),   QStringLiteral("ALTGRUP"),
        QStringLiteral("DEPARTMAN"), QStringLiteral("RENK"),      QStringLiteral("BEDEN"),     QStringLiteral("BIRIM"),
    };
    return columns;
}

std::optional<Column> knownColumn(const QString& header, const QHash<QString, int>& warehouses)
{
    const double inf = std::numeric_limits<double>::infinity();
    if (textColumns().contains(header))
        return Column{header, header, Kind::Text};
    if (header == u"FIYAT" || header == u"KAMPFIYAT" || header == u"KRITIKMIKTAR")
        return Column{header, header, Kind::Number, 0, inf};
    if (header == u"KDV" || header == u"ISK1" || header == u"ISK2" || header == u"ISK3" || header == u"ISK4")
        return Column{header, header, Kind::Number, 0, 100};
    if (header == u"BARKODNO")
        return Column{header, header, Kind::Integer, 0, 2147483647.0};
    if (header == u"KAMPANYALI" || header == u"YENI")
        return Column{header, header, Kind::Flag, 0, 1};
    if (header == u"TEDARIKDURUMU")
        return Column{header, header, Kind::Integer, 0, 2};
    if (header.startsWith(u"OEM") && header.size() > 3) {
        bool ok = false;
        const int n = header.mid(3).toInt(&ok);
        if (ok && n >= 1 && n <= 99)
            return Column{header, {}, Kind::Oem, 0, inf, n};
    }
    if (warehouses.contains(header))
        return Column{header, {}, Kind::Quantity, -inf, inf, 0, warehouses.value(header)};
    if (header.endsWith(u"_YOLDA") && warehouses.contains(header.chopped(6)))
        return Column{header, {}, Kind::OnTheWay, 0, inf, 0, warehouses.value(header.chopped(6))};
    return std::nullopt;
}

bool parseNumber(QString s, double& out)
{
    s = s.trimmed();
    if (s.contains(u',') && s.contains(u'.'))
        return false; // thousands separators are not accepted: "1.234,50" is ambiguous
    s.replace(u',', u'.');
    bool ok = false;
    out = s.toDouble(&ok);
    return ok && std::isfinite(out);
}

// ---- one row ------------------------------------------------------------------------------------

struct ItemRow
{
    int line = 0;
    QString barcode;
    QHash<QString, QVariant> values;   // stoklar columns given in this row
    std::optional<QStringList> oems;   // replaces the OEM numbers when set
    QList<std::pair<int, double>> quantities;
    QList<std::pair<int, double>> onTheWay;
};

ItemRow readRow(const CsvRecord& record, const QList<Column>& columns)
{
    if (record.fields.size() != columns.size())
        refuse(record.line, QStringLiteral("%1 alan bekleniyordu, %2 alan var").arg(columns.size()).arg(record.fields.size()));
    ItemRow row;
    row.line = record.line;
    QMap<int, QString> oems;
    bool anyOem = false;
    for (int i = 0; i < columns.size(); ++i) {
        const Column& col = columns[i];
        const QString value = record.fields[i].trimmed();
        if (value.isEmpty())
            continue; // an empty field keeps the old value, or the default of a new item
        if (col.kind == Kind::Text) {
            row.values.insert(col.stockColumn, value);
            continue;
        }
        if (col.kind == Kind::Oem) {
            oems.insert(col.oemIndex, value);
            anyOem = true;
            continue;
        }
        double number = 0;
        if (!parseNumber(value, number))
            refuse(record.line, QStringLiteral("%1 sayı olmalı: \"%2\"").arg(col.header, value));
        if (number < col.min || number > col.max)
            refuse(record.line, QStringLiteral("%1 %2 ile %3 arasında olmalı: %4")
                                    .arg(col.header)
                                    .arg(col.min)
                                    .arg(col.max)
                                    .arg(value));
        if ((col.kind == Kind::Integer || col.kind == Kind::Flag) && number != std::floor(number))
            refuse(record.line, QStringLiteral("%1 tam sayı olmalı: %2").arg(col.header, value));
        switch (col.kind) {
        case Kind::Integer:
        case Kind::Flag: row.values.insert(col.stockColumn, static_cast<int>(number)); break;
        case Kind::Number: row.values.insert(col.stockColumn, number); break;
        case Kind::Quantity: row.quantities.append({col.warehouse, number}); break;
        case Kind::OnTheWay: row.onTheWay.append({col.warehouse, number}); break;
        default: break;
        }
    }
    row.barcode = row.values.value(QStringLiteral("BARKOD")).toString();
    if (row.barcode.isEmpty())
        refuse(record.line, QStringLiteral("BARKOD boş olamaz"));
    if (anyOem)
        row.oems = oems.values();
    return row;
}

// ---- writing ------------------------------------------------------------------------------------

class CatalogueWriter
{
public:
    explicit CatalogueWriter(QSqlDatabase& db) : m_db(db) {}

    void write(const ItemRow& row, CatalogueImportResult& result)
    {
        QSqlQuery& find = statement(QStringLiteral("SELECT STOKNO FROM stoklar WHERE BARKOD = ?"));
        find.bindValue(0, row.barcode);
        exec(find);
        qint64 stockNo = 0;
        if (find.next()) {
            stockNo = find.value(0).toLongLong();
            find.finish();
            update(stockNo, row);
            ++result.updated;
        } else {
            find.finish();
            if (!row.values.contains(QStringLiteral("ADI")))
                refuse(row.line, QStringLiteral("yeni stok için ADI boş olamaz"));
            if (!row.values.contains(QStringLiteral("FIYAT")))
                refuse(row.line, QStringLiteral("yeni stok için FIYAT boş olamaz"));
            stockNo = insert(row);
            ++result.added;
        }
        if (row.oems) {
            QSqlQuery& drop = statement(QStringLiteral("DELETE FROM stok_oem WHERE STOKNO = ?"));
            drop.bindValue(0, stockNo);
            exec(drop);
            QSqlQuery& add = statement(QStringLiteral("INSERT INTO stok_oem(STOKNO, SIRA, OEMNO) VALUES(?, ?, ?)"));
            for (int i = 0; i < row.oems->size(); ++i) {
                add.bindValue(0, stockNo);
                add.bindValue(1, i + 1);
                add.bindValue(2, row.oems->at(i));
                exec(add);
            }
        }
        QSqlQuery& qty = statement(QStringLiteral(
            "INSERT INTO stok_depo(STOKNO, DEPONO, MIKTAR) VALUES(?, ?, ?) "
            "ON CONFLICT(STOKNO, DEPONO) DO UPDATE SET MIKTAR = excluded.MIKTAR"));
        for (const auto& [warehouse, amount] : row.quantities) {
            qty.bindValue(0, stockNo);
            qty.bindValue(1, warehouse);
            qty.bindValue(2, amount);
            exec(qty);
        }
        QSqlQuery& way = statement(QStringLiteral(
            "INSERT INTO stok_depo(STOKNO, DEPONO, YOLDA) VALUES(?, ?, ?) "
            "ON CONFLICT(STOKNO, DEPONO) DO UPDATE SET YOLDA = excluded.YOLDA"));
        for (const auto& [warehouse, amount] : row.onTheWay) {
            way.bindValue(0, stockNo);
            way.bindValue(1, warehouse);
            way.bindValue(2, amount);
            exec(way);
        }
        // Every item has a row in every warehouse, so its state there is defined.
        QSqlQuery& fill = statement(QStringLiteral(
            "INSERT OR IGNORE INTO stok_depo(STOKNO, DEPONO) SELECT ?, DEPONO FROM depolar"));
        fill.bindValue(0, stockNo);
        exec(fill);
    }

private:
    // Prepared once per distinct text: rows with the same columns share their statement.
    QSqlQuery& statement(const QString& sql)
    {
        std::unique_ptr<QSqlQuery>& q = m_statements[sql];
        if (!q) {
            q = std::make_unique<QSqlQuery>(m_db);
            if (!q->prepare(sql))
                throw DatabaseError(q->lastError().text());
        }
        return *q;
    }

    void update(qint64 stockNo, const ItemRow& row)
    {
        QStringList names = row.values.keys();
        names.sort();
        names.removeAll(QStringLiteral("BARKOD"));
        if (names.isEmpty())
            return;
        QStringList sets;
        for (const QString& n : names)
            sets.append(n + QStringLiteral(" = ?"));
        QSqlQuery& q = statement(QStringLiteral("UPDATE stoklar SET %1 WHERE STOKNO = ?").arg(sets.join(QStringLiteral(", "))));
        int i = 0;
        for (const QString& n : names)
            q.bindValue(i++, row.values.value(n));
        q.bindValue(i, stockNo);
        exec(q);
    }

    qint64 insert(const ItemRow& row)
    {
        QStringList names = row.values.keys();
        names.sort();
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i)
            marks.append(QStringLiteral("?"));
        QSqlQuery& q = statement(QStringLiteral("INSERT INTO stoklar(%1) VALUES(%2)")
                                    .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
        int i = 0;
        for (const QString& n : names)
            q.bindValue(i++, row.values.value(n));
        exec(q);
        return q.lastInsertId().toLongLong();
    }

    QSqlDatabase& m_db;
    std::map<QString, std::unique_ptr<QSqlQuery>> m_statements;
};

} // namespace

CatalogueImportResult importCatalogue(Database& database, const QByteArray& csv)
{
    const QString text = decodeUtf8(csv);
    const std::vector<CsvRecord> records = parseCsv(text, detectDelimiter(text));
    if (records.empty())
        throw CatalogueImportError(QStringLiteral("Satır 1: başlık satırı yok"));

    QSqlDatabase db = database.connection();
    QHash<QString, int> warehouses;
    {
        QSqlQuery q = exec(db, QStringLiteral("SELECT DEPONO, DEPOADI FROM depolar"));
        while (q.next())
            warehouses.insert(q.value(1).toString().toUpper(), q.value(0).toInt());
    }

    const CsvRecord& header = records.front();
    QList<Column> columns;
    std::set<QString> seen;
    for (const QString& raw : header.fields) {
        const QString name = raw.trimmed().toUpper();
        if (!seen.insert(name).second)
            refuse(header.line, QStringLiteral("sütun iki kez var: %1").arg(name));
        const std::optional<Column> col = knownColumn(name, warehouses);
        if (!col)
            refuse(header.line, QStringLiteral("bilinmeyen sütun: \"%1\"").arg(raw));
        columns.append(*col);
    }
    if (!seen.count(QStringLiteral("BARKOD")))
        refuse(header.line, QStringLiteral("BARKOD sütunu zorunlu"));

    std::vector<ItemRow> rows;
    QHash<QString, int> firstLine;
    for (size_t r = 1; r < records.size(); ++r) {
        ItemRow row = readRow(records[r], columns);
        if (firstLine.contains(row.barcode))
            refuse(row.line, QStringLiteral("BARKOD %1 %2. satırda da var").arg(row.barcode).arg(firstLine.value(row.barcode)));
        firstLine.insert(row.barcode, row.line);
        rows.push_back(std::move(row));
    }

    CatalogueImportResult result;
    inTransaction(db, [&] {
        CatalogueWriter writer(db);
        for (const ItemRow& row : rows) {
            try {
                writer.write(row, result);
            } catch (const CatalogueImportError&) {
                throw;
            } catch (const DatabaseError& e) {
                refuse(row.line, e.message());
            }
        }
    });
    return result;
}

} // namespace velun::appserver
