#include "platform/hddinfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>

#include <fcntl.h>
#include <linux/hdreg.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <tuple>

namespace velun::platform {
namespace {

// One identify block for every component; queries take turns so two threads never fill it at once.
IdentifyBlock g_block{};
QMutex g_blockMutex;

constexpr quint32 kLbaSizeThreshold = 16515072; // 16383 × 16 × 63: beyond it only the LBA count is reliable

QString msgNoHandle() { return QStringLiteral("Can't create device handle!"); }
QString msgIoctlFailed() { return QStringLiteral("DeviceIoControl filed!"); }
QString msgIoctlError() { return QStringLiteral("DeviceIoControl returned error!"); }
QString msgInquiryFailed() { return QStringLiteral("SCSI_GET_INQUIRY_DATA failed!"); }
QString msgZeroRightsFailed() { return QStringLiteral("GetDevInfoZeroRights filed!"); }
QString msgByNameFailed() { return QStringLiteral("GetDevInfoNTScsibyName filed!"); }
QString msgDatabaseFailed() { return QStringLiteral("GetDevInfoWMI filed!"); }

quint16 wordAt(const IdentifyBlock& block, int index)
{
    return quint16(block[std::size_t(2 * index)] | (block[std::size_t(2 * index + 1)] << 8));
}

// ATA keeps the first character of each pair in the high byte of the word.
QString ataText(const IdentifyBlock& block, int firstWord, int wordCount)
{
    QString text;
    text.reserve(2 * wordCount);
    for (int w = firstWord; w < firstWord + wordCount; ++w) {
        text.append(QChar(char16_t(block[std::size_t(2 * w + 1)])));
        text.append(QChar(char16_t(block[std::size_t(2 * w)])));
    }
    return StripLowChars(text);
}

void swapTextWords(IdentifyBlock& block, int firstWord, int wordCount)
{
    for (int w = firstWord; w < firstWord + wordCount; ++w)
        std::swap(block[std::size_t(2 * w)], block[std::size_t(2 * w + 1)]);
}

// Device answers may carry anything; only printable ASCII reaches a property.
QString printable(const char* data, qsizetype length)
{
    QString text;
    for (qsizetype i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c < 0x7F)
            text.append(QChar(char16_t(c)));
    }
    return text;
}

QString printable(const QByteArray& bytes) { return printable(bytes.constData(), bytes.size()); }

QByteArray readAttribute(const QString& path, qint64 maxBytes = 4096)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxBytes);
}

QString readTextAttribute(const QString& path) { return StripLowChars(printable(readAttribute(path))); }

// Disk names the kernel gives whole physical disks; partitions and virtual devices do not match.
const QRegularExpression& diskNamePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(sd|vd|hd|xvd)[a-z]+|(nvme)\\d+n\\d+|(mmcblk)\\d+)$"));
    return pattern;
}

// Kernel order: sdz comes before sdaa, nvme2n1 before nvme10n1.
struct DiskOrderKey
{
    QString prefix;
    qsizetype suffixLength = 0;
    QString suffix;
    bool operator<(const DiskOrderKey& other) const
    {
        return std::tie(prefix, suffixLength, suffix) < std::tie(other.prefix, other.suffixLength, other.suffix);
    }
};

DiskOrderKey orderKey(const QString& disk)
{
    const auto match = diskNamePattern().match(disk);
    QString prefix;
    for (int group = 1; group <= 3 && prefix.isEmpty(); ++group)
        prefix = match.captured(group);
    const QString suffix = disk.mid(prefix.size());
    return {prefix, suffix.size(), suffix};
}

QString udevProperty(const SystemPaths& paths, const QString& disk, QStringView key)
{
    static const QRegularExpression deviceNumbers(QStringLiteral("^\\d+:\\d+$"));
    const QString numbers = readTextAttribute(paths.sysBlock + u'/' + disk + QStringLiteral("/dev"));
    if (!deviceNumbers.match(numbers).hasMatch())
        return {};
    const QByteArray database = readAttribute(paths.udevData + QStringLiteral("/b") + numbers, 1 << 20);
    const QString prefix = QStringLiteral("E:") + key + u'=';
    for (const QByteArray& line : database.split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (text.startsWith(prefix))
            return StripLowChars(printable(text.mid(prefix.size()).toLatin1()));
    }
    return {};
}

// The unit serial number page: a four-byte header with the length, then the serial.
QString unitSerialFromPage(const QByteArray& page)
{
    if (page.size() < 4 || static_cast<unsigned char>(page[1]) != 0x80)
        return {};
    const qsizetype announced = (static_cast<unsigned char>(page[2]) << 8) | static_cast<unsigned char>(page[3]);
    const qsizetype length = std::min(announced, page.size() - 4);
    return StripLowChars(printable(page.constData() + 4, length));
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

int openDevice(const SystemPaths& paths, const QString& disk, int mode)
{
    const QByteArray path = QFile::encodeName(paths.dev + u'/' + disk);
    // Non-blocking so a drive without media does not hold the caller.
    const int fd = ::open(path.constData(), mode | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw HddInfoError(msgNoHandle());
    return fd;
}

enum class ScsiOutcome { Ok, Unsupported, DeviceError };

struct ScsiAnswer
{
    ScsiOutcome outcome = ScsiOutcome::Unsupported;
    int received = 0;
};

int senseKey(const std::array<unsigned char, 64>& sense, int length)
{
    if (length < 3)
        return -1;
    const int responseCode = sense[0] & 0x7F;
    if (responseCode == 0x72 || responseCode == 0x73)
        return sense[1] & 0x0F;
    if (responseCode == 0x70 || responseCode == 0x71)
        return sense[2] & 0x0F;
    return -1;
}

ScsiAnswer sendScsiCommand(int fd, const unsigned char* cdb, unsigned char cdbLength, unsigned char* data,
                           unsigned int length)
{
    std::array<unsigned char, 64> sense{};
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = SG_DXFER_FROM_DEV;
    io.cmd_len = cdbLength;
    io.mx_sb_len = sense.size();
    io.dxfer_len = length;
    io.dxferp = data;
    io.cmdp = const_cast<unsigned char*>(cdb);
    io.sbp = sense.data();
    io.timeout = 5000;
    if (::ioctl(fd, SG_IO, &io) < 0)
        return {};
    const int received = std::clamp(int(length) - io.resid, 0, int(length));
    if ((io.info & SG_INFO_OK_MASK) == SG_INFO_OK)
        return {ScsiOutcome::Ok, received};
    constexpr unsigned int kDriverSense = 0x08;
    if (io.host_status != 0 || (io.driver_status & ~kDriverSense) != 0)
        return {ScsiOutcome::DeviceError, 0};
    switch (senseKey(sense, io.sb_len_wr)) {
    case 0x01: // recovered error: the command completed, some translators report the ATA registers so
        return {ScsiOutcome::Ok, received};
    case 0x05: // illegal request: the device or its translator does not know the command
        return {ScsiOutcome::Unsupported, 0};
    default:
        return {ScsiOutcome::DeviceError, 0};
    }
}

// The kernel's identify answer has its text fields already in reading order.
bool identifyThroughKernel(int fd, IdentifyBlock& block)
{
    IdentifyBlock answer{};
    if (::ioctl(fd, HDIO_GET_IDENTITY, answer.data()) != 0)
        return false;
    swapTextWords(answer, 10, 10);
    swapTextWords(answer, 23, 4);
    swapTextWords(answer, 27, 20);
    block = answer;
    return true;
}

ScsiOutcome identifyThroughPassThrough(int fd, IdentifyBlock& block)
{
    // ATA PASS-THROUGH(16): PIO data-in, one block of 512 bytes towards the host, IDENTIFY DEVICE.
    const std::array<unsigned char, 16> cdb{0x85, 4 << 1, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0};
    IdentifyBlock answer{};
    const ScsiAnswer result = sendScsiCommand(fd, cdb.data(), cdb.size(), answer.data(), answer.size());
    if (result.outcome == ScsiOutcome::Ok)
        block = answer;
    return result.outcome;
}

} // namespace

HddInfoError::HddInfoError(const QString& text) : std::runtime_error(text.toStdString()) {}

QString HddInfoError::text() const { return QString::fromStdString(what()); }

QString StripLowChars(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 32)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

IdentifyData DecodeIdentifyBlock(const IdentifyBlock& block)
{
    IdentifyData d;
    const quint16 config = wordAt(block, 0);
    if (config & 0x8000)
        d.type = TDriveType::dtCDROM;
    else if (config & 0x0080)
        d.type = TDriveType::dtRemovable;
    else if (config & 0x0040)
        d.type = TDriveType::dtFixed;
    else
        d.type = TDriveType::dtUnknown;
    d.cylsTotal = wordAt(block, 1);
    d.headTotal = wordAt(block, 3);
    d.bpt = wordAt(block, 4);
    d.bps = wordAt(block, 5);
    d.spt = wordAt(block, 6);
    d.serial = ataText(block, 10, 10);
    d.revision = ataText(block, 23, 4);
    d.model = ataText(block, 27, 20);
    d.bufSize = quint32(wordAt(block, 21)) * 512;
    d.ecc = wordAt(block, 22);
    d.lbaSectors = quint32(wordAt(block, 60)) | (quint32(wordAt(block, 61)) << 16);
    const quint64 sectors = d.lbaSectors >= kLbaSizeThreshold
                                ? quint64(d.lbaSectors)
                                : quint64(d.cylsTotal) * d.headTotal * d.spt;
    d.size = 512 * sectors;
    return d;
}

bool IsPlausibleIdentifyBlock(const IdentifyBlock& block)
{
    if (std::all_of(block.begin(), block.end(), [&](std::uint8_t b) { return b == block[0]; }))
        return false;
    if (block[510] != 0xA5)
        return true;
    std::uint8_t sum = 0;
    for (const std::uint8_t b : block)
        sum = std::uint8_t(sum + b);
    return sum == 0;
}

TDriveType DriveTypeFromScsiPeripheral(int peripheralType)
{
    switch (peripheralType) {
    case 0:
        return TDriveType::dtFixed;
    case 1:
        return TDriveType::dtTape;
    case 5:
        return TDriveType::dtCDROM;
    case 7:
        return TDriveType::dtOptical;
    case 12:
        return TDriveType::dtArray;
    default:
        return TDriveType::dtUnknown;
    }
}

QString DecodeZeroRightsSerial(const QString& serial)
{
    static const QRegularExpression hexOnly(QStringLiteral("^[0-9A-Fa-f]+$"));
    if (hexOnly.match(serial).hasMatch()) {
        QByteArray bytes = QByteArray::fromHex(serial.left(serial.size() & ~qsizetype(1)).toLatin1());
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            std::swap(bytes[i], bytes[i + 1]);
        // Digits-only serials also look like hex; keep them unless they decode to readable text.
        const QString decoded = StripLowChars(QString::fromLatin1(bytes));
        const bool readable = !decoded.isEmpty() && std::all_of(decoded.begin(), decoded.end(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() < 0x7F;
        });
        if (readable)
            return decoded;
    }
    return serial.left(21);
}

QStringList PhysicalDisks(const SystemPaths& paths)
{
    QStringList disks;
    const QStringList entries = QDir(paths.sysBlock).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (diskNamePattern().match(entry).hasMatch())
            disks.append(entry);
    std::sort(disks.begin(), disks.end(),
              [](const QString& a, const QString& b) { return orderKey(a) < orderKey(b); });
    return disks;
}

QString DeviceDatabaseSerial(const QString& disk, const SystemPaths& paths)
{
    if (disk.isEmpty())
        return {};
    for (const auto key : {QStringView(u"ID_SERIAL_SHORT"), QStringView(u"ID_SERIAL")}) {
        const QString serial = udevProperty(paths, disk, key);
        if (!serial.isEmpty())
            return serial;
    }
    const QString base = paths.sysBlock + u'/' + disk;
    for (const QString& attribute : {QStringLiteral("/device/serial"), QStringLiteral("/serial")}) {
        const QString serial = readTextAttribute(base + attribute);
        if (!serial.isEmpty())
            return serial;
    }
    const QString pageSerial = unitSerialFromPage(readAttribute(base + QStringLiteral("/device/vpd_pg80")));
    if (!pageSerial.isEmpty())
        return pageSerial;
    return readTextAttribute(base + QStringLiteral("/device/wwid"));
}

THDDInfo::THDDInfo(QObject* owner) : QObject(owner) {}

void THDDInfo::setDrive(TDrive drive)
{
    fDrive = drive;
    fName = QStringLiteral("PhysicalDrive") + QString::number(int(drive));
    GetInfo();
}

void THDDInfo::setDeviceName(const QString& name)
{
    fName = name;
    GetInfo();
}

void THDDInfo::GetInfo()
{
    QMutexLocker lock(&g_blockMutex);
    clearProperties();
    try {
        switch (fMethod) {
        case TGetInfoMethod::gimAuto:
            queryAuto(diskOfDrive());
            break;
        case TGetInfoMethod::gimNT:
            queryAta(diskOfDrive());
            break;
        case TGetInfoMethod::gimScsi:
            queryScsiAddress();
            break;
        case TGetInfoMethod::gim9x:
            throw HddInfoError(QStringLiteral("No device!"));
        case TGetInfoMethod::gimByName:
            queryByName();
            break;
        case TGetInfoMethod::gimASPI:
            throw HddInfoError(QStringLiteral("ASPI not Supported!"));
        case TGetInfoMethod::gimZeroRights:
            queryZeroRights(diskOfDrive());
            break;
        case TGetInfoMethod::gimWMI:
            queryDeviceDatabase(diskOfDrive());
            break;
        }
    } catch (...) {
        clearProperties();
        throw;
    }
}

void THDDInfo::clearProperties()
{
    g_block.fill(0);
    fType = TDriveType::dtUnknown;
    fCylsTotal = fHeadTotal = fBPT = fBPS = fSPT = 0;
    fVendor = {};
    fSerial.clear();
    fRevision.clear();
    fModel.clear();
    fBufSize = 0;
    fECC = 0;
    fLBASectors = 0;
    fSize = 0;
    fIde = false;
    fDisk.clear();
}

QString THDDInfo::diskOfDrive() const
{
    const QString disk = PhysicalDisks(fPaths).value(int(fDrive));
    if (disk.isEmpty())
        throw HddInfoError(msgNoHandle());
    return disk;
}

void THDDInfo::queryAuto(const QString& disk)
{
    try {
        queryAta(disk);
        return;
    } catch (const HddInfoError&) {
        clearProperties();
    }
    // Inquiry data without a unit serial is kept only if the no-rights route finds nothing better.
    struct Inquiry
    {
        TDriveType type;
        QString model;
        QString revision;
    };
    std::optional<Inquiry> inquiry;
    try {
        queryScsi(disk);
        if (!fSerial.isEmpty())
            return;
        inquiry = Inquiry{fType, fModel, fRevision};
    } catch (const HddInfoError&) {
    }
    clearProperties();
    try {
        queryZeroRights(disk);
    } catch (const HddInfoError&) {
        if (!inquiry)
            throw;
        clearProperties();
        fDisk = disk;
        fType = inquiry->type;
        fModel = inquiry->model;
        fRevision = inquiry->revision;
    }
}

void THDDInfo::queryAta(const QString& disk)
{
    const FileDescriptor fd(openDevice(fPaths, disk, O_RDWR));
    IdentifyBlock block{};
    if (!identifyThroughKernel(fd.get(), block)) {
        switch (identifyThroughPassThrough(fd.get(), block)) {
        case ScsiOutcome::Ok:
            break;
        case ScsiOutcome::Unsupported:
            throw HddInfoError(msgIoctlFailed());
        case ScsiOutcome::DeviceError:
            throw HddInfoError(msgIoctlError());
        }
    }
    if (!IsPlausibleIdentifyBlock(block))
        throw HddInfoError(msgIoctlError());
    g_block = block;
    applyBlock();
    fIde = true;
    fDisk = disk;
}

void THDDInfo::applyBlock()
{
    const IdentifyData d = DecodeIdentifyBlock(g_block);
    fType = d.type;
    fCylsTotal = d.cylsTotal;
    fHeadTotal = d.headTotal;
    fBPT = d.bpt;
    fBPS = d.bps;
    fSPT = d.spt;
    fSerial = d.serial;
    fRevision = d.revision;
    fModel = d.model;
    fBufSize = d.bufSize;
    fECC = d.ecc;
    fLBASectors = d.lbaSectors;
    fSize = d.size;
}

void THDDInfo::queryScsi(const QString& disk)
{
    const FileDescriptor fd(openDevice(fPaths, disk, O_RDONLY));
    std::array<unsigned char, 96> inquiry{};
    const std::array<unsigned char, 6> standard{0x12, 0, 0, 0, inquiry.size(), 0};
    const ScsiAnswer answer = sendScsiCommand(fd.get(), standard.data(), standard.size(), inquiry.data(),
                                              inquiry.size());
    constexpr unsigned char kNoDeviceQualifier = 3;
    if (answer.outcome != ScsiOutcome::Ok || answer.received < 36 || (inquiry[0] >> 5) == kNoDeviceQualifier)
        throw HddInfoError(msgInquiryFailed());
    const auto field = [&](int offset, int length) {
        return StripLowChars(printable(reinterpret_cast<const char*>(inquiry.data()) + offset, length));
    };
    fType = DriveTypeFromScsiPeripheral(inquiry[0] & 0x1F);
    const QString vendorId = field(8, 8);
    const QString productId = field(16, 16);
    fModel = vendorId.isEmpty() ? productId : StripLowChars(vendorId + u' ' + productId);
    fRevision = field(32, 4);

    std::array<unsigned char, 252> page{};
    const std::array<unsigned char, 6> serialPage{0x12, 0x01, 0x80, 0, page.size(), 0};
    const ScsiAnswer pageAnswer = sendScsiCommand(fd.get(), serialPage.data(), serialPage.size(), page.data(),
                                                  page.size());
    if (pageAnswer.outcome == ScsiOutcome::Ok)
        fSerial = unitSerialFromPage(QByteArray(reinterpret_cast<const char*>(page.data()), pageAnswer.received));
    fIde = false;
    fDisk = disk;
}

void THDDInfo::queryZeroRights(const QString& disk)
{
    const QString base = fPaths.sysBlock + u'/' + disk;
    if (!QFileInfo(base).isDir())
        throw HddInfoError(msgZeroRightsFailed());
    bool typeKnown = false;
    const int peripheral = readTextAttribute(base + QStringLiteral("/device/type")).toInt(&typeKnown);
    if (typeKnown)
        fType = DriveTypeFromScsiPeripheral(peripheral);
    else if (readTextAttribute(base + QStringLiteral("/removable")) == u"1")
        fType = TDriveType::dtRemovable;
    else
        fType = TDriveType::dtFixed;

    QString model = readTextAttribute(base + QStringLiteral("/device/model"));
    if (model.isEmpty())
        model = udevProperty(fPaths, disk, u"ID_MODEL");
    fModel = StripLowChars(model.left(40));
    QString revision = readTextAttribute(base + QStringLiteral("/device/rev"));
    if (revision.isEmpty())
        revision = readTextAttribute(base + QStringLiteral("/device/firmware_rev"));
    if (revision.isEmpty())
        revision = udevProperty(fPaths, disk, u"ID_REVISION");
    fRevision = StripLowChars(revision.left(8));
    fSerial = StripLowChars(DecodeZeroRightsSerial(DeviceDatabaseSerial(disk, fPaths)));

    // The kernel counts the size in 512-byte units whatever the sector size.
    const quint64 units = readTextAttribute(base + QStringLiteral("/size")).toULongLong();
    const quint16 sectorBytes = readTextAttribute(base + QStringLiteral("/queue/logical_block_size")).toUShort();
    fBPS = sectorBytes;
    fSize = units * 512;
    if (sectorBytes > 0)
        fLBASectors = quint32(std::min<quint64>(fSize / sectorBytes, 0xFFFFFFFFu));
    fIde = false;
    fDisk = disk;
}

void THDDInfo::queryDeviceDatabase(const QString& disk)
{
    const QString serial = DeviceDatabaseSerial(disk, fPaths);
    if (serial.isEmpty())
        throw HddInfoError(msgDatabaseFailed());
    queryZeroRights(disk);
    fSerial = serial;
}

void THDDInfo::queryByName()
{
    static const QRegularExpression numbered(QStringLiteral("^PhysicalDrive(\\d)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString disk = fName;
    if (disk.startsWith(QStringLiteral("/dev/")))
        disk = disk.mid(5);
    if (const auto match = numbered.match(disk); match.hasMatch())
        disk = PhysicalDisks(fPaths).value(match.captured(1).toInt());
    // A name is a disk name, never a path the caller could steer elsewhere.
    if (disk.isEmpty() || disk.contains(u'/') || disk.startsWith(u'.')
        || !QFileInfo(fPaths.sysBlock + u'/' + disk).isDir())
        throw HddInfoError(msgByNameFailed());
    try {
        queryScsi(disk);
    } catch (const HddInfoError&) {
        throw HddInfoError(msgByNameFailed());
    }
}

namespace {
struct ScsiAddress
{
    int host = -1;
    int channel = -1;
    int target = -1;
    int lun = -1;
    QString entry;
};

QList<ScsiAddress> scsiAddresses(const SystemPaths& paths)
{
    QList<ScsiAddress> addresses;
    const QStringList entries = QDir(paths.scsiDevices).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        const QStringList parts = entry.split(u':');
        if (parts.size() != 4)
            continue;
        ScsiAddress a;
        bool ok[4] = {};
        a.host = parts[0].toInt(&ok[0]);
        a.channel = parts[1].toInt(&ok[1]);
        a.target = parts[2].toInt(&ok[2]);
        a.lun = parts[3].toInt(&ok[3]);
        a.entry = entry;
        if (ok[0] && ok[1] && ok[2] && ok[3])
            addresses.append(a);
    }
    return addresses;
}
} // namespace

void THDDInfo::setScsiPort(int port)
{
    if (port < 0 || !QFileInfo(fPaths.scsiHosts + QStringLiteral("/host") + QString::number(port)).isDir())
        throw HddInfoError(QStringLiteral("Wrong port number!"));
    fScsiPort = port;
    fScsiBus = -1;
    fScsiDevice = -1;
    fScsiName = fPaths.scsiHosts + QStringLiteral("/host") + QString::number(port);
    countScsiAddresses();
}

void THDDInfo::setScsiBus(int bus)
{
    if (fScsiPort < 0 || bus < 0 || bus >= fScsiBusCount)
        throw HddInfoError(QStringLiteral("Wrong bus number!"));
    fScsiBus = bus;
    fScsiDevice = -1;
    countScsiAddresses();
}

void THDDInfo::setScsiDevice(int device)
{
    if (fScsiBus < 0 || device < 0 || device >= fScsiDevCount)
        throw HddInfoError(QStringLiteral("Wrong device number!"));
    fScsiDevice = device;
}

void THDDInfo::countScsiAddresses()
{
    int buses = 0;
    int devices = 0;
    for (const ScsiAddress& a : scsiAddresses(fPaths)) {
        if (a.host != fScsiPort)
            continue;
        buses = std::max(buses, a.channel + 1);
        if (fScsiBus < 0 || a.channel == fScsiBus)
            devices = std::max(devices, a.target + 1);
    }
    fScsiBusCount = quint16(std::min(buses, 0xFFFF));
    fScsiDevCount = quint16(std::min(devices, 0xFFFF));
}

QString THDDInfo::diskAtScsiAddress() const
{
    for (const ScsiAddress& a : scsiAddresses(fPaths)) {
        if (a.host != fScsiPort || a.channel != fScsiBus || a.target != fScsiDevice)
            continue;
        const QStringList disks = QDir(fPaths.scsiDevices + u'/' + a.entry + QStringLiteral("/device/block"))
                                      .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        if (!disks.isEmpty())
            return disks.first();
    }
    return {};
}

void THDDInfo::queryScsiAddress()
{
    if (fScsiDevice < 0) {
        queryScsi(diskOfDrive());
        return;
    }
    const QString disk = diskAtScsiAddress();
    if (disk.isEmpty())
        throw HddInfoError(msgNoHandle());
    queryScsi(disk);
}

} // namespace velun::platform
