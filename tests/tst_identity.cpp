// Machine identity: identify-block decoding, the drive component over a made-up device tree, the
// order and normalisation of the identifier's routes, adapter and address formatting, and one run
// of the real routes of this machine.
#include "platform/hddinfo.h"
#include "platform/identity.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>

using namespace velun;
using namespace Qt::StringLiterals;
using namespace velun::platform;

Q_DECLARE_METATYPE(velun::platform::TDriveType)
Q_DECLARE_METATYPE(velun::platform::TGetInfoMethod)

namespace {

void setWord(IdentifyBlock& block, int index, quint16 value)
{
    block[std::size_t(2 * index)] = std::uint8_t(value & 0xFF);
    block[std::size_t(2 * index + 1)] = std::uint8_t(value >> 8);
}

// Stores text the way a drive does: blank-padded, the first character of each pair in the high byte.
void setAtaText(IdentifyBlock& block, int firstWord, int wordCount, const QByteArray& text)
{
    QByteArray padded = text.leftJustified(2 * wordCount, ' ', true);
    for (int i = 0; i < wordCount; ++i) {
        block[std::size_t(2 * (firstWord + i))] = std::uint8_t(padded[2 * i + 1]);
        block[std::size_t(2 * (firstWord + i) + 1)] = std::uint8_t(padded[2 * i]);
    }
}

struct BlockLayout
{
    quint16 config = 0x0040;
    quint16 cylinders = 16383;
    quint16 heads = 16;
    quint16 sectorsPerTrack = 63;
    quint32 lba = 976773168;
    QByteArray serial = "     WD-WCC4N1234567";
    QByteArray revision = "01.01A01";
    QByteArray model = "WDC WD5000AAKX-00ERMA0";
};

IdentifyBlock makeBlock(const BlockLayout& signature)
{
    IdentifyBlock block{};
    setWord(block, 0, signature.config);
    setWord(block, 1, signature.cylinders);
    setWord(block, 3, signature.heads);
    setWord(block, 4, 32256);
    setWord(block, 5, 512);
    setWord(block, 6, signature.sectorsPerTrack);
    setAtaText(block, 10, 10, signature.serial);
    setWord(block, 21, 16);
    setWord(block, 22, 4);
    setAtaText(block, 23, 4, signature.revision);
    setAtaText(block, 27, 20, signature.model);
    setWord(block, 60, quint16(signature.lba & 0xFFFF));
    setWord(block, 61, quint16(signature.lba >> 16));
    return block;
}

void sealBlock(IdentifyBlock& block)
{
    block[510] = 0xA5;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 511; ++i)
        sum = std::uint8_t(sum + block[i]);
    block[511] = std::uint8_t(-sum);
}

// A made-up /sys, /run/udev/data and /dev under one temporary folder.
class DeviceTree
{
public:
    DeviceTree()
    {
        paths.sysBlock = dir.filePath(QStringLiteral("sys/block"));
        paths.scsiHosts = dir.filePath(QStringLiteral("sys/class/scsi_host"));
        paths.scsiDevices = dir.filePath(QStringLiteral("sys/class/scsi_device"));
        paths.udevData = dir.filePath(QStringLiteral("run/udev/data"));
        paths.dev = dir.filePath(QStringLiteral("dev"));
        for (const QString& p : {paths.sysBlock, paths.scsiHosts, paths.scsiDevices, paths.udevData, paths.dev})
            QDir().mkpath(p);
    }

    void addDisk(const QString& name, const QString& numbers = {})
    {
        QDir().mkpath(paths.sysBlock + u'/' + name + QStringLiteral("/device"));
        if (!numbers.isEmpty())
            write(QStringLiteral("sys/block/") + name + QStringLiteral("/dev"), numbers.toLatin1() + '\n');
    }

    void write(const QString& relativePath, const QByteArray& content)
    {
        const QString path = dir.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir dir;
    SystemPaths paths;
};

// The unit serial page as a disk answers it: type, page code, big-endian length, serial bytes.
QByteArray unitSerialPage(const QByteArray& serial, int announcedLength = -1)
{
    const int length = announcedLength < 0 ? int(serial.size()) : announcedLength;
    QByteArray page;
    page.append(char(0)).append(char(0x80)).append(char(length >> 8)).append(char(length & 0xFF));
    return page + serial;
}

QString hddErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const HddInfoError& e) {
        return e.text();
    }
    return {};
}

const QString kThrow = QStringLiteral("<throws>");

QString answerOrThrow(const QString& value)
{
    if (value == kThrow)
        throw HddInfoError(QStringLiteral("DeviceIoControl filed!"));
    return value;
}

} // namespace

class TestIdentity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qunsetenv("VELUN_MACHINE_ID");
        qunsetenv("VELUN_MACHINE_ALIASES");
    }

    void cleanup()
    {
        setIdentitySources({});
        qunsetenv("VELUN_MACHINE_ID");
        qunsetenv("VELUN_MACHINE_ALIASES");
    }

    // --- identify block -------------------------------------------------------------------------

    void identifyBlockAllFields()
    {
        const IdentifyData d = DecodeIdentifyBlock(makeBlock({}));
        QCOMPARE(d.type, TDriveType::dtFixed);
        QCOMPARE(d.cylsTotal, quint16(16383));
        QCOMPARE(d.headTotal, quint16(16));
        QCOMPARE(d.bpt, quint16(32256));
        QCOMPARE(d.bps, quint16(512));
        QCOMPARE(d.spt, quint16(63));
        QCOMPARE(d.serial, QStringLiteral("WD-WCC4N1234567"));
        QCOMPARE(d.revision, QStringLiteral("01.01A01"));
        QCOMPARE(d.model, QStringLiteral("WDC WD5000AAKX-00ERMA0"));
        QCOMPARE(d.bufSize, quint32(16 * 512));
        QCOMPARE(d.ecc, quint16(4));
        QCOMPARE(d.lbaSectors, quint32(976773168));
        QCOMPARE(d.size, quint64(976773168) * 512);
    }

    void identifyBlockByteOrder()
    {
        // Written byte by byte as a drive sends it: word 10 = 0x4142 reads "AB", words little-endian.
        IdentifyBlock block{};
        block[0] = 0x40;
        block[2] = 0x34;
        block[3] = 0x12;
        const char serial[] = "BADCFE";
        for (int i = 0; i < 6; ++i)
            block[std::size_t(20 + i)] = std::uint8_t(serial[i]);
        const IdentifyData d = DecodeIdentifyBlock(block);
        QCOMPARE(d.cylsTotal, quint16(0x1234));
        QCOMPARE(d.serial, QStringLiteral("ABCDEF"));
    }

    void identifyBlockTypeAndSize_data()
    {
        QTest::addColumn<quint16>("config");
        QTest::addColumn<quint16>("cylinders");
        QTest::addColumn<quint32>("lba");
        QTest::addColumn<TDriveType>("type");
        QTest::addColumn<quint64>("size");
        const quint64 chs = 16 * 63 * 512;
        QTest::newRow("fixed, large disk by LBA") << quint16(0x0040) << quint16(16383) << quint32(976773168)
                                                  << TDriveType::dtFixed << quint64(976773168) * 512;
        QTest::newRow("LBA at the threshold") << quint16(0x0040) << quint16(100) << quint32(16515072)
                                              << TDriveType::dtFixed << quint64(16515072) * 512;
        QTest::newRow("LBA below the threshold uses CHS") << quint16(0x0040) << quint16(16383)
                                                          << quint32(16515071) << TDriveType::dtFixed
                                                          << 16383 * chs;
        QTest::newRow("small disk by CHS") << quint16(0x0040) << quint16(1000) << quint32(1008000)
                                           << TDriveType::dtFixed << 1000 * chs;
        QTest::newRow("CD-ROM bit wins") << quint16(0x85C0) << quint16(0) << quint32(0) << TDriveType::dtCDROM
                                         << quint64(0);
        QTest::newRow("removable bit over fixed") << quint16(0x00C0) << quint16(10) << quint32(0)
                                                  << TDriveType::dtRemovable << 10 * chs;
        QTest::newRow("no type bit") << quint16(0x0001) << quint16(10) << quint32(0) << TDriveType::dtUnknown
                                     << 10 * chs;
    }

    void identifyBlockTypeAndSize()
    {
        QFETCH(quint16, config);
        QFETCH(quint16, cylinders);
        QFETCH(quint32, lba);
        BlockLayout signature;
        signature.config = config;
        signature.cylinders = cylinders;
        signature.lba = lba;
        const IdentifyData d = DecodeIdentifyBlock(makeBlock(signature));
        QTEST(d.type, "type");
        QTEST(d.size, "size");
        QCOMPARE(d.lbaSectors, lba);
    }

    void identifyBlockTextTrim_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("serial");
        QTest::newRow("right-justified with blanks") << QByteArray("        S3Z9NB0K1234") << u"S3Z9NB0K1234"_s;
        QTest::newRow("control characters at both ends")
            << QByteArray("\x01\x1F" "ABCD 1234\t\x00\x00", 14) << u"ABCD 1234"_s;
        QTest::newRow("inner blanks kept") << QByteArray("  WD  12  ") << u"WD  12"_s;
        QTest::newRow("only padding") << QByteArray("\x00\x00  \x10", 5) << QString();
    }

    void identifyBlockTextTrim()
    {
        QFETCH(QByteArray, stored);
        BlockLayout signature;
        signature.serial = stored;
        QTEST(DecodeIdentifyBlock(makeBlock(signature)).serial, "serial");
    }

    void identifyBlockGarbage()
    {
        IdentifyBlock ones;
        ones.fill(0xFF);
        const IdentifyData d = DecodeIdentifyBlock(ones);
        QCOMPARE(d.type, TDriveType::dtCDROM);
        QCOMPARE(d.cylsTotal, quint16(0xFFFF));
        QCOMPARE(d.serial, QString(20, QChar(char16_t(0xFF))));
        QCOMPARE(d.model.size(), 40);
        QCOMPARE(d.revision.size(), 8);
        QCOMPARE(d.bufSize, quint32(0xFFFF) * 512);
        QCOMPARE(d.size, quint64(0xFFFFFFFFu) * 512);
        QVERIFY(!IsPlausibleIdentifyBlock(ones));

        IdentifyBlock zeros{};
        const IdentifyData z = DecodeIdentifyBlock(zeros);
        QCOMPARE(z.type, TDriveType::dtUnknown);
        QVERIFY(z.serial.isEmpty() && z.model.isEmpty() && z.revision.isEmpty());
        QCOMPARE(z.size, quint64(0));
        QVERIFY(!IsPlausibleIdentifyBlock(zeros));

        QRandomGenerator random(20240611);
        for (int round = 0; round < 200; ++round) {
            IdentifyBlock noise;
            for (auto& b : noise)
                b = std::uint8_t(random.bounded(256));
            const IdentifyData n = DecodeIdentifyBlock(noise);
            QVERIFY(n.serial.size() <= 20 && n.revision.size() <= 8 && n.model.size() <= 40);
        }
    }

    void identifyBlockPlausibility()
    {
        IdentifyBlock block = makeBlock({});
        QVERIFY(IsPlausibleIdentifyBlock(block)); // no integrity word: nothing to check
        sealBlock(block);
        QVERIFY(IsPlausibleIdentifyBlock(block));
        block[100] ^= 0x01;
        QVERIFY(!IsPlausibleIdentifyBlock(block));
    }

    void scsiPeripheralTypes_data()
    {
        QTest::addColumn<int>("peripheral");
        QTest::addColumn<TDriveType>("type");
        QTest::newRow("disk") << 0 << TDriveType::dtFixed;
        QTest::newRow("tape") << 1 << TDriveType::dtTape;
        QTest::newRow("CD/DVD") << 5 << TDriveType::dtCDROM;
        QTest::newRow("optical") << 7 << TDriveType::dtOptical;
        QTest::newRow("array") << 12 << TDriveType::dtArray;
        QTest::newRow("processor") << 3 << TDriveType::dtUnknown;
        QTest::newRow("no device") << 31 << TDriveType::dtUnknown;
    }

    void scsiPeripheralTypes()
    {
        QFETCH(int, peripheral);
        QTEST(DriveTypeFromScsiPeripheral(peripheral), "type");
    }

    void zeroRightsSerial_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("decoded");
        // "     WD-WCC4N1234567" with the bytes of each pair swapped, hex-encoded.
        QTest::newRow("hex-encoded ATA serial") << u"2020202057202d4443573443314e333235343736"_s
                                                << u"WD-WCC4N1234567"_s;
        QTest::newRow("hex in upper case") << u"2020202057202D4443573443314E333235343736"_s
                                           << u"WD-WCC4N1234567"_s;
        QTest::newRow("odd digit count drops the last digit") << u"3231333"_s << u"123"_s;
        QTest::newRow("plain serial unchanged") << u"S3Z9NB0K123456X"_s << u"S3Z9NB0K123456X"_s;
        QTest::newRow("plain serial at most 21") << u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"_s << u"ABCDEFGHIJKLMNOPQRSTU"_s;
        QTest::newRow("digits-only serial is not mangled") << u"12345678"_s << u"12345678"_s;
        QTest::newRow("hex-looking serial that decodes to no text") << u"DEADBEEF"_s << u"DEADBEEF"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    void zeroRightsSerial()
    {
        QFETCH(QString, serial);
        QTEST(DecodeZeroRightsSerial(serial), "decoded");
    }

    // --- device tree ----------------------------------------------------------------------------

    void physicalDisksInKernelOrder()
    {
        DeviceTree tree;
        for (const char* name : {"sdb", "loop0", "sda", "sdaa", "ram0", "sdz", "dm-0", "nvme10n1", "md0",
                                 "nvme2n1", "sr0", "vda", "zram0", "mmcblk0", "mmcblk0p1", "sda1", "xvda", "hdc",
                                 "nbd0", "nvme0n1p2"})
            tree.addDisk(QString::fromLatin1(name));
        const QStringList expected{u"hdc"_s, u"mmcblk0"_s, u"nvme2n1"_s, u"nvme10n1"_s, u"sda"_s,
                                   u"sdb"_s, u"sdz"_s,     u"sdaa"_s,    u"vda"_s,      u"xvda"_s};
        QCOMPARE(PhysicalDisks(tree.paths), expected);

        DeviceTree empty;
        QVERIFY(PhysicalDisks(empty.paths).isEmpty());
        SystemPaths missing;
        missing.sysBlock = empty.dir.filePath(QStringLiteral("nowhere"));
        QVERIFY(PhysicalDisks(missing).isEmpty());
    }

    void deviceDatabaseSerial_data()
    {
        QTest::addColumn<QStringList>("files"); // relative path, content, relative path, content...
        QTest::addColumn<QString>("serial");
        const QString udev = QStringLiteral("run/udev/data/b8:0");
        const QByteArray udevBoth = "S:disk/by-id/ata-X\nE:ID_SERIAL=Samsung_SSD_S3Z9\nE:ID_SERIAL_SHORT= S3Z9NB0K \n";
        QTest::newRow("udev short serial first")
            << QStringList{udev, QString::fromLatin1(udevBoth), u"sys/block/sda/device/serial"_s, u"SYSFS"_s}
            << u"S3Z9NB0K"_s;
        QTest::newRow("udev full serial next")
            << QStringList{udev, u"E:ID_MODEL=X\nE:ID_SERIAL=QEMU_HARDDISK_QM00001\n"_s} << u"QEMU_HARDDISK_QM00001"_s;
        QTest::newRow("kernel device serial") << QStringList{u"sys/block/sda/device/serial"_s, u"  NV1234 \n"_s}
                                              << u"NV1234"_s;
        QTest::newRow("virtio disk serial") << QStringList{u"sys/block/sda/serial"_s, u"overlayblk\n"_s}
                                            << u"overlayblk"_s;
        QTest::newRow("unit serial page")
            << QStringList{u"sys/block/sda/device/vpd_pg80"_s, QString::fromLatin1(unitSerialPage("  ZA1B2C3D"))}
            << u"ZA1B2C3D"_s;
        QTest::newRow("unit serial page longer than its data")
            << QStringList{u"sys/block/sda/device/vpd_pg80"_s, QString::fromLatin1(unitSerialPage("K7", 0x7FFF))}
            << u"K7"_s;
        QTest::newRow("world-wide name last") << QStringList{u"sys/block/sda/device/wwid"_s, u"eui.0025385\n"_s}
                                              << u"eui.0025385"_s;
        QTest::newRow("binary junk keeps printable characters only")
            << QStringList{u"sys/block/sda/device/serial"_s, QString::fromLatin1("\x01\x02X\xFF" "Y9\x7F\n")}
            << u"XY9"_s;
        QTest::newRow("nothing known") << QStringList{} << QString();
    }

    void deviceDatabaseSerial()
    {
        QFETCH(QStringList, files);
        DeviceTree tree;
        tree.addDisk(QStringLiteral("sda"), QStringLiteral("8:0"));
        for (qsizetype i = 0; i + 1 < files.size(); i += 2)
            tree.write(files[i], files[i + 1].toLatin1());
        QTEST(DeviceDatabaseSerial(QStringLiteral("sda"), tree.paths), "serial");
        QVERIFY(DeviceDatabaseSerial(QString(), tree.paths).isEmpty());
    }

    void driveComponentWithoutRights()
    {
        DeviceTree tree;
        tree.addDisk(QStringLiteral("sda"), QStringLiteral("8:0"));
        tree.addDisk(QStringLiteral("sdb"), QStringLiteral("8:16"));
        tree.write(QStringLiteral("sys/block/sda/device/type"), "0\n");
        tree.write(QStringLiteral("sys/block/sda/device/model"), "Samsung SSD 860 EVO 500GB               \n");
        tree.write(QStringLiteral("sys/block/sda/device/rev"), "RVT04B6Q\n");
        tree.write(QStringLiteral("sys/block/sda/size"), "976773168\n");
        tree.write(QStringLiteral("sys/block/sda/queue/logical_block_size"), "512\n");
        tree.write(QStringLiteral("run/udev/data/b8:0"), "E:ID_SERIAL_SHORT=2020202057202d4443573443314e333235343736\n");
        tree.write(QStringLiteral("sys/block/sdb/removable"), "1\n");
        tree.write(QStringLiteral("sys/block/sdb/device/serial"), "usb-0001\n");
        // A node that answers with junk and knows none of the disk commands.
        tree.write(QStringLiteral("dev/sda"), QByteArray(4096, '\xFF'));

        THDDInfo info;
        info.setSystemPaths(tree.paths);
        QCOMPARE(info.method(), TGetInfoMethod::gimAuto);
        QCOMPARE(info.drive(), TDrive::dPrimaryMaster);
        QCOMPARE(info.scsiPort(), -1);
        QCOMPARE(info.scsiBus(), -1);
        QCOMPARE(info.scsiDevice(), -1);
        info.setDrive(TDrive::dPrimaryMaster);
        QCOMPARE(info.deviceName(), QStringLiteral("PhysicalDrive0"));
        QCOMPARE(info.diskName(), QStringLiteral("sda"));
        QCOMPARE(info.serialNumber(), QStringLiteral("WD-WCC4N1234567"));
        QCOMPARE(info.modelNumber(), QStringLiteral("Samsung SSD 860 EVO 500GB"));
        QCOMPARE(info.revision(), QStringLiteral("RVT04B6Q"));
        QCOMPARE(info.driveType(), TDriveType::dtFixed);
        QCOMPARE(info.bytesPerSector(), quint16(512));
        QCOMPARE(info.size(), quint64(976773168) * 512);
        QCOMPARE(info.lbaSectors(), quint32(976773168));
        QVERIFY(!info.isIde());

        info.setDrive(TDrive::dPrimarySlave);
        QCOMPARE(info.deviceName(), QStringLiteral("PhysicalDrive1"));
        QCOMPARE(info.serialNumber(), QStringLiteral("usb-0001"));
        QCOMPARE(info.driveType(), TDriveType::dtRemovable);

        // The automatic method reads by number, whatever the name says.
        info.setDrive(TDrive::dPrimaryMaster);
        info.setDeviceName(QStringLiteral("PhysicalDrive1"));
        QCOMPARE(info.serialNumber(), QStringLiteral("WD-WCC4N1234567"));

        // The junk node opens but knows no identify or inquiry command.
        info.setMethod(TGetInfoMethod::gimNT);
        QCOMPARE(hddErrorOf([&] { info.GetInfo(); }), u"DeviceIoControl filed!"_s);
        info.setMethod(TGetInfoMethod::gimScsi);
        QCOMPARE(hddErrorOf([&] { info.GetInfo(); }), u"SCSI_GET_INQUIRY_DATA failed!"_s);

        info.setMethod(TGetInfoMethod::gimWMI);
        info.GetInfo();
        QCOMPARE(info.serialNumber(), QStringLiteral("2020202057202d4443573443314e333235343736"));

        QCOMPARE(DriveRouteSerial(QStringLiteral("PhysicalDrive0"), false, tree.paths),
                 QStringLiteral("WD-WCC4N1234567"));
        QCOMPARE(DriveRouteSerial(QStringLiteral("PhysicalDrive1"), true, tree.paths),
                 QStringLiteral("WD-WCC4N1234567"));
    }

    void driveComponentErrors_data()
    {
        QTest::addColumn<TGetInfoMethod>("method");
        QTest::addColumn<int>("drive");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        QTest::newRow("no such drive") << TGetInfoMethod::gimAuto << 3 << QString() << u"Can't create device handle!"_s;
        QTest::newRow("no device node for the identify route")
            << TGetInfoMethod::gimNT << 0 << QString() << u"Can't create device handle!"_s;
        QTest::newRow("no device node for the SCSI route")
            << TGetInfoMethod::gimScsi << 0 << QString() << u"Can't create device handle!"_s;
        QTest::newRow("no serial in the database") << TGetInfoMethod::gimWMI << 0 << QString()
                                                   << u"GetDevInfoWMI filed!"_s;
        QTest::newRow("controller ports") << TGetInfoMethod::gim9x << 0 << QString() << u"No device!"_s;
        QTest::newRow("ASPI") << TGetInfoMethod::gimASPI << 0 << QString() << u"ASPI not Supported!"_s;
        QTest::newRow("name outside the disks") << TGetInfoMethod::gimByName << 0 << u"../../etc"_s
                                                << u"GetDevInfoNTScsibyName filed!"_s;
        QTest::newRow("unknown name") << TGetInfoMethod::gimByName << 0 << u"sdq"_s
                                      << u"GetDevInfoNTScsibyName filed!"_s;
        QTest::newRow("known name, no device node") << TGetInfoMethod::gimByName << 0 << u"/dev/sda"_s
                                                    << u"GetDevInfoNTScsibyName filed!"_s;
    }

    void driveComponentErrors()
    {
        QFETCH(TGetInfoMethod, method);
        QFETCH(int, drive);
        QFETCH(QString, name);
        DeviceTree tree;
        tree.addDisk(QStringLiteral("sda"), QStringLiteral("8:0"));
        tree.write(QStringLiteral("sys/block/sda/device/model"), "MODEL\n");
        THDDInfo info;
        info.setSystemPaths(tree.paths);
        info.setMethod(TGetInfoMethod::gimZeroRights);
        info.GetInfo();
        QCOMPARE(info.modelNumber(), QStringLiteral("MODEL"));

        info.setMethod(method);
        QTEST(hddErrorOf([&] {
                  if (name.isEmpty())
                      info.setDrive(TDrive(drive));
                  else
                      info.setDeviceName(name);
              }),
              "error");
        QVERIFY(info.modelNumber().isEmpty()); // a failed query leaves no stale properties
    }

    void scsiAddress()
    {
        DeviceTree tree;
        tree.addDisk(QStringLiteral("sda"));
        tree.addDisk(QStringLiteral("sdb"));
        QDir().mkpath(tree.paths.scsiHosts + QStringLiteral("/host0"));
        QDir().mkpath(tree.paths.scsiHosts + QStringLiteral("/host2"));
        QDir().mkpath(tree.paths.scsiDevices + QStringLiteral("/0:0:0:0/device/block/sda"));
        QDir().mkpath(tree.paths.scsiDevices + QStringLiteral("/0:0:1:0/device/block/sdb"));
        QDir().mkpath(tree.paths.scsiDevices + QStringLiteral("/0:1:0:0/device"));
        QDir().mkpath(tree.paths.scsiDevices + QStringLiteral("/2:0:0:0/device"));

        THDDInfo info;
        info.setSystemPaths(tree.paths);
        QCOMPARE(hddErrorOf([&] { info.setScsiBus(0); }), u"Wrong bus number!"_s);
        QCOMPARE(hddErrorOf([&] { info.setScsiPort(-1); }), u"Wrong port number!"_s);
        QCOMPARE(hddErrorOf([&] { info.setScsiPort(1); }), u"Wrong port number!"_s);
        info.setScsiPort(0);
        QCOMPARE(info.scsiBusCount(), quint16(2));
        QCOMPARE(info.scsiName(), tree.paths.scsiHosts + QStringLiteral("/host0"));
        QCOMPARE(hddErrorOf([&] { info.setScsiDevice(0); }), u"Wrong device number!"_s);
        QCOMPARE(hddErrorOf([&] { info.setScsiBus(2); }), u"Wrong bus number!"_s);
        info.setScsiBus(0);
        QCOMPARE(info.scsiDevCount(), quint16(2));
        QCOMPARE(hddErrorOf([&] { info.setScsiDevice(2); }), u"Wrong device number!"_s);
        info.setScsiDevice(1);
        QCOMPARE(info.scsiDevice(), 1);
        info.setScsiBus(1);
        QCOMPARE(info.scsiDevCount(), quint16(1));
        QCOMPARE(info.scsiDevice(), -1);
    }

    void concurrentQueriesTakeTurns()
    {
        DeviceTree tree;
        tree.addDisk(QStringLiteral("sda"), QStringLiteral("8:0"));
        tree.addDisk(QStringLiteral("sdb"), QStringLiteral("8:16"));
        tree.write(QStringLiteral("sys/block/sda/device/serial"), "FIRST-0001\n");
        tree.write(QStringLiteral("sys/block/sdb/device/serial"), "SECOND-0002\n");
        std::atomic<int> wrong{0};
        const auto worker = [&](TDrive drive, const QString& expected) {
            return QThread::create([&, drive, expected] {
                for (int i = 0; i < 100; ++i) {
                    THDDInfo info;
                    info.setSystemPaths(tree.paths);
                    info.setDrive(drive);
                    if (info.serialNumber() != expected)
                        ++wrong;
                }
            });
        };
        std::unique_ptr<QThread> a(worker(TDrive::dPrimaryMaster, QStringLiteral("FIRST-0001")));
        std::unique_ptr<QThread> b(worker(TDrive::dPrimarySlave, QStringLiteral("SECOND-0002")));
        a->start();
        b->start();
        QVERIFY(a->wait());
        QVERIFY(b->wait());
        QCOMPARE(wrong.load(), 0);
    }

    // --- machine identifier ---------------------------------------------------------------------

    void machineId_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("drive0");
        QTest::addColumn<QString>("drive1");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("calls");
        const QString mac = QStringLiteral("02-FC-00-00-00-01");
        const QStringList all{u"database"_s, u"PhysicalDrive0/0"_s, u"PhysicalDrive1/1"_s, u"mac"_s,
                              u"aliases"_s};
        const QStringList afterDatabase{u"database"_s, u"aliases"_s};
        const QStringList afterDrive0{u"database"_s, u"PhysicalDrive0/0"_s, u"aliases"_s};
        const QStringList afterDrive1{u"database"_s, u"PhysicalDrive0/0"_s, u"PhysicalDrive1/1"_s,
                                      u"aliases"_s};

        QTest::newRow("device database wins") << u"WD-WCC4N1234567"_s << u"OTHER-1"_s << u"OTHER-2"_s << mac
                                              << u"WD-WCC4N1234567"_s << afterDatabase;
        QTest::newRow("database serial upper-cased and trimmed")
            << u" \t s3z9nb0k \r\n\x01"_s << QString() << QString() << mac << u"S3Z9NB0K"_s << afterDatabase;
        QTest::newRow("short database serial still counts") << u"abc"_s << u"DRIVE-1"_s << QString() << mac
                                                            << u"ABC"_s << afterDatabase;
        QTest::newRow("blank database serial: first drive query") << u"  \n"_s << u" abcd "_s << QString() << mac
                                                                  << u"ABCD"_s << afterDrive0;
        QTest::newRow("one-character drive serial counts as none")
            << QString() << u"x"_s << u"wxyz"_s << mac << u"WXYZ"_s << afterDrive1;
        QTest::newRow("three-character drive serials: adapter address")
            << QString() << u"ab1"_s << u" AB1 "_s << mac << mac << all;
        QTest::newRow("four characters are a serial") << QString() << u"ab12"_s << QString() << mac << u"AB12"_s
                                                      << afterDrive0;
        QTest::newRow("control characters trimmed from a drive serial")
            << QString() << u"\x01 wd-wx41\t\n"_s << QString() << mac << u"WD-WX41"_s << afterDrive0;
        QTest::newRow("failing database route: drive used") << kThrow << u"SERIAL01"_s << QString() << mac
                                                            << u"SERIAL01"_s << afterDrive0;
        QTest::newRow("failing first drive query: second used") << QString() << kThrow << u"DISK2222"_s << mac
                                                                << u"DISK2222"_s << afterDrive1;
        QTest::newRow("every disk route fails: adapter address") << kThrow << kThrow << kThrow << mac << mac << all;
        QTest::newRow("machine without disks: adapter address trimmed")
            << QString() << QString() << QString() << u" 0A-1B-2C-3D-4E-5F\n"_s << u"0A-1B-2C-3D-4E-5F"_s << all;
        QTest::newRow("nothing answers") << QString() << QString() << QString() << QString() << QString() << all;
        QTest::newRow("failing adapter route") << QString() << QString() << QString() << kThrow << QString() << all;
    }

    void machineId()
    {
        QFETCH(QString, database);
        QFETCH(QString, drive0);
        QFETCH(QString, drive1);
        QFETCH(QString, mac);
        QStringList calls;
        IdentitySources sources;
        sources.deviceDatabaseSerial = [&] {
            calls << u"database"_s;
            return answerOrThrow(database);
        };
        sources.driveSerial = [&](const QString& name, bool queryAgain) {
            calls << name + u'/' + QString::number(int(queryAgain));
            return answerOrThrow(name == u"PhysicalDrive0" ? drive0 : drive1);
        };
        sources.macAddress = [&] {
            calls << u"mac"_s;
            if (mac == kThrow)
                throw std::runtime_error("no adapters");
            return mac;
        };
        sources.aliases = [&] {
            calls << u"aliases"_s;
            return QHash<QString, QString>();
        };
        setIdentitySources(sources);
        QTEST(MachineId(), "id");
        QTEST(calls, "calls");
    }

    void machineIdAliases_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<bool>("aliasesFail");
        QTest::addColumn<QString>("id");
        QTest::newRow("listed serial shares the registration") << u"wd-222"_s << QString() << false
                                                               << u"480012345678"_s;
        QTest::newRow("unlisted serial kept") << u"WD-444"_s << QString() << false << u"WD-444"_s;
        QTest::newRow("adapter address can be listed too") << QString() << u"AA-BB-CC-DD-EE-FF"_s << false
                                                           << u"480012345678"_s;
        QTest::newRow("unreadable table keeps the identifier") << u"WD-111"_s << QString() << true << u"WD-111"_s;
    }

    void machineIdAliases()
    {
        QFETCH(QString, database);
        QFETCH(QString, mac);
        QFETCH(bool, aliasesFail);
        IdentitySources sources;
        sources.deviceDatabaseSerial = [&] { return database; };
        sources.driveSerial = [](const QString&, bool) { return QString(); };
        sources.macAddress = [&] { return mac; };
        sources.aliases = [&] {
            if (aliasesFail)
                throw std::runtime_error("unreadable");
            const QString shared = QStringLiteral("480012345678");
            return QHash<QString, QString>{{u"WD-111"_s, shared},
                                           {u"WD-222"_s, shared},
                                           {u"AA-BB-CC-DD-EE-FF"_s, shared}};
        };
        setIdentitySources(sources);
        QTEST(MachineId(), "id");
    }

    void aliasFile()
    {
        QCOMPARE(MachineAliasesPath(), QStringLiteral("/etc/velun/machine-aliases"));
        const QHash<QString, QString> parsed = ParseMachineAliases(QStringLiteral(
            "# shared registration of the workshop\n\n wd-1 = 480012345678 \r\nno separator\n=1234\nWD-2=\n"
            "WD-3=111\nWD-3=222\n"));
        const QHash<QString, QString> expected{{u"WD-1"_s, u"480012345678"_s}, {u"WD-3"_s, u"222"_s}};
        QCOMPARE(parsed, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("aliases"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("WD-1=480012345678\n");
        file.close();
        qputenv("VELUN_MACHINE_ALIASES", QFile::encodeName(path));
        QCOMPARE(MachineAliasesPath(), path);
        IdentitySources sources; // aliases from the system's source: the file
        sources.deviceDatabaseSerial = [] { return QStringLiteral("wd-1"); };
        setIdentitySources(sources);
        QCOMPARE(MachineId(), QStringLiteral("480012345678"));
        qputenv("VELUN_MACHINE_ALIASES", QFile::encodeName(dir.filePath(QStringLiteral("missing"))));
        QCOMPARE(MachineId(), QStringLiteral("WD-1"));
    }

    void environmentOverride()
    {
        int asked = 0;
        IdentitySources sources;
        sources.deviceDatabaseSerial = [&] {
            ++asked;
            return QStringLiteral("DISK-0001");
        };
        setIdentitySources(sources);
        qputenv("VELUN_MACHINE_ID", " TEST-MACHINE-0001 \n");
        QCOMPARE(MachineId(), QStringLiteral("TEST-MACHINE-0001"));
        QCOMPARE(asked, 0);
        qputenv("VELUN_MACHINE_ID", "  ");
        QCOMPARE(MachineId(), QStringLiteral("DISK-0001"));
    }

    // --- adapters and addresses -----------------------------------------------------------------

    void adapterAddress_data()
    {
        QTest::addColumn<QStringList>("addresses"); // "lo:" marks a loopback adapter, "v:" a virtual one
        QTest::addColumn<QString>("formatted");
        QTest::newRow("loopback and zero addresses skipped")
            << QStringList{u"lo:00:00:00:00:00:00"_s, u"00:00:00:00:00:00"_s, u"02:fc:00:00:00:01"_s}
            << u"02-FC-00-00-00-01"_s;
        QTest::newRow("system order kept") << QStringList{u"0A:00:00:00:00:01"_s, u"0B:00:00:00:00:02"_s}
                                           << u"0A-00-00-00-00-01"_s;
        QTest::newRow("physical adapter before virtual ones")
            << QStringList{u"lo:00:00:00:00:00:00"_s, u"v:6a:f6:ed:c0:a3:49"_s, u"02:fc:00:00:00:01"_s}
            << u"02-FC-00-00-00-01"_s;
        QTest::newRow("virtual adapter when no physical one has an address")
            << QStringList{u"00:00:00:00:00:00"_s, u"v:6a:f6:ed:c0:a3:49"_s} << u"6A-F6-ED-C0-A3-49"_s;
        QTest::newRow("adapter without address skipped") << QStringList{QString(), u"aa:bb:cc:dd:ee:ff"_s}
                                                         << u"AA-BB-CC-DD-EE-FF"_s;
        QTest::newRow("single digits padded") << QStringList{u"2:fc:0:0:0:1"_s} << u"02-FC-00-00-00-01"_s;
        QTest::newRow("long hardware address: first six bytes")
            << QStringList{u"80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0a:bc:de"_s}
            << u"80-00-02-08-FE-80"_s;
        QTest::newRow("unreadable address skipped") << QStringList{u"zz:zz:zz:zz:zz:zz"_s, u"123:1:1:1:1:1"_s,
                                                                   u"01:02:03:04:05:06"_s}
                                                    << u"01-02-03-04-05-06"_s;
        QTest::newRow("loopback with an address skipped") << QStringList{u"lo:11:22:33:44:55:66"_s} << QString();
        QTest::newRow("only zero addresses") << QStringList{u"00:00:00:00:00:00"_s, u"v:00:00:00:00:00:00"_s}
                                             << QString();
        QTest::newRow("no adapters") << QStringList{} << QString();
    }

    void adapterAddress()
    {
        QFETCH(QStringList, addresses);
        QList<NetworkAdapter> adapters;
        for (const QString& a : addresses) {
            NetworkAdapter adapter;
            adapter.loopback = a.startsWith(u"lo:");
            adapter.physical = !a.startsWith(u"v:");
            adapter.hardwareAddress = adapter.loopback ? a.mid(3) : adapter.physical ? a : a.mid(2);
            adapters.append(adapter);
        }
        QTEST(FirstAdapterAddress(adapters), "formatted");
    }

    void localAddress_data()
    {
        QTest::addColumn<QStringList>("resolved");
        QTest::addColumn<QStringList>("adapters");
        QTest::addColumn<QString>("address");
        const QStringList adapters{u"127.0.0.1"_s, u"::1"_s, u"192.0.2.2"_s, u"10.1.1.1"_s};
        QTest::newRow("first IPv4 of the answer") << QStringList{u"fe80::1"_s, u"10.0.0.5"_s, u"10.0.0.6"_s}
                                                  << adapters << u"10.0.0.5"_s;
        QTest::newRow("loopback answer: adapter address")
            << QStringList{u"127.0.1.1"_s} << adapters << u"192.0.2.2"_s;
        QTest::newRow("no answer: adapter address") << QStringList{} << adapters << u"192.0.2.2"_s;
        QTest::newRow("loopback answer, no adapter address")
            << QStringList{u"127.0.1.1"_s} << QStringList{u"127.0.0.1"_s} << u"127.0.1.1"_s;
        QTest::newRow("no address at all") << QStringList{} << QStringList{} << u"127.0.0.1"_s;
        QTest::newRow("IPv6 only") << QStringList{u"::1"_s, u"2001:db8::5"_s} << QStringList{u"2001:db8::5"_s}
                                   << u"127.0.0.1"_s;
        QTest::newRow("unreadable answer") << QStringList{u"not an address"_s} << QStringList{} << u"127.0.0.1"_s;
    }

    void localAddress()
    {
        QFETCH(QStringList, resolved);
        QFETCH(QStringList, adapters);
        QTEST(ChooseLocalAddress(resolved, adapters), "address");
    }

    // --- this machine ---------------------------------------------------------------------------

    void realRoutesOnThisMachine()
    {
        const QStringList disks = PhysicalDisks();
        qInfo() << "physical disks:" << disks;
        qInfo() << "device database serial of the first disk:" << DeviceDatabaseSerial(disks.value(0));
        const QList<std::pair<TGetInfoMethod, const char*>> methods{
            {TGetInfoMethod::gimAuto, "automatic"},
            {TGetInfoMethod::gimNT, "ATA identify"},
            {TGetInfoMethod::gimScsi, "SCSI inquiry"},
            {TGetInfoMethod::gimZeroRights, "no rights"},
            {TGetInfoMethod::gimWMI, "device database"}};
        for (const auto& [method, label] : methods) {
            THDDInfo info;
            info.setMethod(method);
            const QString error = hddErrorOf([&] { info.setDrive(TDrive::dPrimaryMaster); });
            qInfo().noquote() << label << "route:"
                              << (error.isEmpty() ? QStringLiteral("disk=%1 serial=\"%2\" model=\"%3\" rev=\"%4\" "
                                                                   "size=%5 ide=%6")
                                                        .arg(info.diskName(), info.serialNumber(), info.modelNumber(),
                                                             info.revision())
                                                        .arg(info.size())
                                                        .arg(int(info.isIde()))
                                                  : QString(u"error: "_s + error));
        }
        qInfo().noquote() << "drive route serial:"
                          << []() -> QString {
                                 try {
                                     return DriveRouteSerial(QStringLiteral("PhysicalDrive0"), false);
                                 } catch (const HddInfoError& e) {
                                     return u"error: "_s + e.text();
                                 }
                             }();
        qInfo().noquote() << "adapter address:" << MacAddress();
        qInfo().noquote() << "computer name:" << ComputerName() << "user:" << WindowsUserName()
                          << "local address:" << LocalIpAddress();
        QString id;
        try {
            id = MachineId();
        } catch (...) {
            QFAIL("MachineId let an error out");
        }
        qInfo().noquote() << "machine identifier:" << id;
        QVERIFY(!id.isEmpty());
        QVERIFY(!LocalIpAddress().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIdentity)
#include "tst_identity.moc"
