#include "control/CurveStore.h"

#include "platform/RegularFile.h"
#include "platform/XdgConfigHome.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <optional>

namespace lumora {

namespace {

// The file is our mark on its first line, then one line per monitor of fields apart by spaces:
//   identity on|off minimum maximum monitor-maximum level:luminance...
// as in "DEL\sU2720Q\s4711 on 10 90 100 30:20 60:45 90:80", with the points in rising levels.
// The mark tells our file from anything else at its place, and its layout from later ones.
const QByteArray mark = QByteArrayLiteral("lumora-curves 1");

// A line is a few hundred bytes per monitor; anything far larger is not our file.
constexpr qsizetype fileLimit = 1024 * 1024;

// DDC/CI carries a luminance in 16 bits.
constexpr qint64 largestMonitorMaximum = 65535;
constexpr qint64 lowestLevel = 1;
constexpr qint64 highestLevel = 100;

const QString on = QStringLiteral("on");
const QString off = QStringLiteral("off");

// What an identity cannot hold as it is in its field, and the letter after a backslash for each.
constexpr std::pair<char16_t, char16_t> escapes[] = {
    {u'\\', u'\\'}, {u' ', u's'}, {u'\t', u't'}, {u'\n', u'n'}, {u'\r', u'r'}};

QString escaped(const QString& identity) {
    QString field;
    for (const QChar c : identity) {
        const auto* escape = std::find_if(std::begin(escapes), std::end(escapes),
                                          [&](const auto& pair) { return pair.first == c; });
        if (escape == std::end(escapes)) {
            field += c;
            continue;
        }
        field += u'\\';
        field += QChar(escape->second);
    }
    return field;
}

// The identity in a field; nothing for an unknown escape or a lone backslash at the end.
std::optional<QString> unescaped(const QString& field) {
    QString identity;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != u'\\') {
            identity += field[i];
            continue;
        }
        const QChar letter = ++i < field.size() ? field[i] : QChar();
        const auto* escape = std::find_if(std::begin(escapes), std::end(escapes),
                                          [&](const auto& pair) { return pair.second == letter; });
        if (escape == std::end(escapes))
            return std::nullopt;
        identity += QChar(escape->first);
    }
    return identity;
}

std::optional<qint64> number(const QString& field) {
    bool ok = false;
    const qint64 value = field.toLongLong(&ok, 10);
    return ok ? std::optional(value) : std::nullopt;
}

bool worthKeeping(const QString& identity, const StoredCurve& stored) {
    return !identity.isEmpty() && (stored.learning || !stored.curve.isDefault());
}

QString line(const QString& identity, const StoredCurve& stored) {
    const MonitorCurve& curve = stored.curve;
    QStringList fields = {escaped(identity), stored.learning ? on : off,
                          QString::number(curve.minimum()), QString::number(curve.maximum()),
                          QString::number(curve.monitorMaximum())};
    for (auto [level, luminance] : curve.points().asKeyValueRange())
        fields << QStringLiteral("%1:%2").arg(level).arg(luminance);
    return fields.join(u' ');
}

// Limits beyond the monitor go back to its own; limits in the wrong order trade places.
void setLimits(MonitorCurve& curve, qint64 minimum, qint64 maximum, bool& repaired) {
    const qint64 top = curve.monitorMaximum();
    const qint64 low = minimum < 0 || minimum > top ? 0 : minimum;
    const qint64 high = maximum < 0 || maximum > top ? top : maximum;
    curve.setMaximum(qMax(low, high));
    curve.setMinimum(qMin(low, high));
    repaired = repaired || curve.minimum() != minimum || curve.maximum() != maximum;
}

std::optional<std::pair<qint64, qint64>> point(const QString& field) {
    const QStringList parts = field.split(u':');
    const std::optional<qint64> level = parts.size() == 2 ? number(parts[0]) : std::nullopt;
    const std::optional<qint64> luminance = parts.size() == 2 ? number(parts[1]) : std::nullopt;
    if (!level || !luminance)
        return std::nullopt;
    return std::pair(*level, *luminance);
}

// Whether the point leaves the curve rising with the points it has.
bool agrees(const MonitorCurve& curve, qint64 level, qint64 luminance) {
    const QMap<qint64, qint64>& points = curve.points();
    return !points.contains(level) &&
           std::none_of(points.keyValueBegin(), points.keyValueEnd(), [&](const auto& other) {
               return (other.first < level && other.second > luminance) ||
                      (other.first > level && other.second < luminance);
           });
}

// A point counts when it is in range and agrees with the points taken before it.
void learnPoint(MonitorCurve& curve, const QString& field, bool& repaired) {
    const std::optional<std::pair<qint64, qint64>> found = point(field);
    const bool sound = found && found->first >= lowestLevel && found->first <= highestLevel &&
                       found->second >= 0 && found->second <= curve.monitorMaximum() &&
                       agrees(curve, found->first, found->second);
    if (sound)
        curve.learn(found->first, found->second);
    repaired = repaired || !sound;
}

// The curve a line's fields after the identity make; nothing when they make none.
std::optional<StoredCurve> readCurve(const QStringList& fields, bool& repaired) {
    constexpr qsizetype firstPoint = 5;
    if (fields.size() < firstPoint || (fields[1] != on && fields[1] != off))
        return std::nullopt;
    const std::optional<qint64> minimum = number(fields[2]);
    const std::optional<qint64> maximum = number(fields[3]);
    const std::optional<qint64> monitorMaximum = number(fields[4]);
    if (!minimum || !maximum || !monitorMaximum || *monitorMaximum < 1 ||
        *monitorMaximum > largestMonitorMaximum)
        return std::nullopt;
    StoredCurve stored{MonitorCurve(*monitorMaximum), fields[1] == on};
    setLimits(stored.curve, *minimum, *maximum, repaired);
    for (const QString& field : fields.mid(firstPoint))
        learnPoint(stored.curve, field, repaired);
    return stored;
}

// Adds the line's curve to `loaded`, or notes that the line was left out. Blank lines say nothing.
void readLine(const QByteArray& bytes, LoadedCurves& loaded) {
    static const QRegularExpression separator(QStringLiteral("[ \\t\\r]+"));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    const QStringList fields = text.split(separator, Qt::SkipEmptyParts);
    if (fields.isEmpty() && !decoder.hasError())
        return;
    const std::optional<QString> identity =
        decoder.hasError() || fields.isEmpty() ? std::nullopt : unescaped(fields[0]);
    const bool isNew = identity && !identity->isEmpty() && !loaded.curves.contains(*identity);
    const std::optional<StoredCurve> stored =
        isNew ? readCurve(fields, loaded.repaired) : std::nullopt;
    if (stored)
        loaded.curves.insert(*identity, *stored);
    else
        loaded.repaired = true;
}

// The curves of the file's lines after our mark, as far as they are sound.
LoadedCurves curvesIn(const QByteArray& contents) {
    QList<QByteArray> lines = contents.split('\n');
    if (lines.takeFirst().trimmed() != mark)
        return {{}, true};
    LoadedCurves loaded;
    for (const QByteArray& bytes : lines)
        readLine(bytes, loaded);
    return loaded;
}

} // namespace

CurveStore::CurveStore(QString folder) : m_folder(std::move(folder)) {}

QString CurveStore::defaultFolder() {
    return xdgConfigHome() + QStringLiteral("/lumora");
}

QString CurveStore::filePath() const {
    return QDir(m_folder).filePath(QStringLiteral("curves"));
}

Result<LoadedCurves, QString> CurveStore::load() const {
    const Result<std::optional<QByteArray>, FileProblem> read =
        readRegularFile(filePath(), fileLimit);
    if (read.ok())
        return read.value() ? curvesIn(*read.value()) : LoadedCurves();
    switch (read.failure().kind) {
    case FileProblem::Kind::NotRegular:
        return QStringLiteral("%1 不是普通文件").arg(filePath());
    case FileProblem::Kind::TooLarge:
        return QStringLiteral("%1 太大，不像亮度曲线文件").arg(filePath());
    case FileProblem::Kind::Unreadable:
        break;
    }
    return QStringLiteral("无法读取 %1：%2").arg(filePath(), read.failure().reason);
}

Result<void, QString> CurveStore::save(const QMap<QString, StoredCurve>& curves) const {
    QStringList lines = {QString::fromUtf8(mark)};
    for (auto [identity, stored] : curves.asKeyValueRange())
        if (worthKeeping(identity, stored))
            lines << line(identity, stored);
    if (lines.size() == 1)
        return remove();
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("无法创建文件夹 %1").arg(m_folder);
    QSaveFile file(filePath());
    if (file.open(QIODevice::WriteOnly) && file.write((lines.join(u'\n') + u'\n').toUtf8()) >= 0 &&
        file.commit())
        return {};
    return QStringLiteral("无法写入 %1：%2").arg(filePath(), file.errorString());
}

Result<void, QString> CurveStore::remove() const {
    QFile file(filePath());
    if (file.remove() || !QFileInfo::exists(filePath()))
        return {};
    return QStringLiteral("无法删除 %1：%2").arg(filePath(), file.errorString());
}

} // namespace lumora
