#pragma once
// Drive information of a physical disk: type, geometry, serial number, revision and model.
// Every query fills one ATA identify block (or the text properties directly, for routes that
// give no ATA data); the properties are decoded from that block.

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <stdexcept>

namespace velun::platform {

enum class TGetInfoMethod { gimAuto, gimNT, gimScsi, gim9x, gimByName, gimASPI, gimZeroRights, gimWMI };

enum class TDrive {
    dPrimaryMaster,
    dPrimarySlave,
    dSecondaryMaster,
    dSecondarySlave,
    dTertiaryMaster,
    dTertiarySlave,
    dQuaternaryMaster,
    dQuaternarySlave
};

enum class TDriveType { dtFixed, dtRemovable, dtCDROM, dtUnknown, dtTape, dtOptical, dtArray };

// Laid out as the ATA IDENTIFY DEVICE answer: 256 little-endian words, text bytes swapped in each word.
using IdentifyBlock = std::array<std::uint8_t, 512>;

// A failed drive query; text() is one of the component's fixed messages.
class HddInfoError : public std::runtime_error
{
public:
    explicit HddInfoError(const QString& text);
    QString text() const;
};

// What an identify block says about the drive.
struct IdentifyData
{
    TDriveType type = TDriveType::dtUnknown;
    quint16 cylsTotal = 0;
    quint16 headTotal = 0;
    quint16 bpt = 0;
    quint16 bps = 0;
    quint16 spt = 0;
    QString serial;
    QString revision;
    QString model;
    quint32 bufSize = 0;
    quint16 ecc = 0;
    quint32 lbaSectors = 0;
    quint64 size = 0;
};

IdentifyData DecodeIdentifyBlock(const IdentifyBlock& block);
// A block of one repeated byte is a device that did not answer; a block carrying the integrity
// signature must also carry a matching checksum.
bool IsPlausibleIdentifyBlock(const IdentifyBlock& block);
TDriveType DriveTypeFromScsiPeripheral(int peripheralType);
// Removes characters with codes up to 32 at both ends (blanks, padding, control characters).
QString StripLowChars(const QString& text);
// Storage property serials: a text made only of hex digits carries the ATA serial bytes hex-encoded
// in word order; anything else is the serial itself, at most 21 characters.
QString DecodeZeroRightsSerial(const QString& serial);

// Where the system describes its disks; tests point these at a tree of their own.
struct SystemPaths
{
    QString sysBlock = QStringLiteral("/sys/block");
    QString scsiHosts = QStringLiteral("/sys/class/scsi_host");
    QString scsiDevices = QStringLiteral("/sys/class/scsi_device");
    QString udevData = QStringLiteral("/run/udev/data");
    QString dev = QStringLiteral("/dev");
};

// Whole physical disks in drive-number order (sd*, nvme*n*, vd*, hd*, xvd*, mmcblk*; no loop, ram,
// device-mapper, md, optical or zram devices).
QStringList PhysicalDisks(const SystemPaths& paths = {});
// The serial the device database (udev, then the kernel's sysfs attributes) keeps for a disk.
QString DeviceDatabaseSerial(const QString& disk, const SystemPaths& paths = {});

class THDDInfo : public QObject
{
public:
    explicit THDDInfo(QObject* owner = nullptr);

    // Queries the drive with the current method and decodes its answer; throws HddInfoError.
    void GetInfo();

    TGetInfoMethod method() const { return fMethod; }
    void setMethod(TGetInfoMethod method) { fMethod = method; }
    TDrive drive() const { return fDrive; }
    // Stores the number, names the device "PhysicalDrive" + number and queries it.
    void setDrive(TDrive drive);
    QString deviceName() const { return fName; }
    // Stores the name and queries (the automatic method still goes by the drive number).
    void setDeviceName(const QString& name);

    int scsiPort() const { return fScsiPort; }
    void setScsiPort(int port);
    int scsiBus() const { return fScsiBus; }
    void setScsiBus(int bus);
    int scsiDevice() const { return fScsiDevice; }
    void setScsiDevice(int device);
    quint16 scsiBusCount() const { return fScsiBusCount; }
    quint16 scsiDevCount() const { return fScsiDevCount; }
    QString scsiName() const { return fScsiName; }

    TDriveType driveType() const { return fType; }
    quint16 cylinders() const { return fCylsTotal; }
    quint16 heads() const { return fHeadTotal; }
    quint16 bytesPerTrack() const { return fBPT; }
    quint16 bytesPerSector() const { return fBPS; }
    quint16 sectorsPerTrack() const { return fSPT; }
    std::array<quint16, 3> vendor() const { return fVendor; }
    QString serialNumber() const { return fSerial; }
    QString revision() const { return fRevision; }
    QString modelNumber() const { return fModel; }
    quint32 bufferSize() const { return fBufSize; }
    quint16 eccCount() const { return fECC; }
    quint32 lbaSectors() const { return fLBASectors; }
    quint64 size() const { return fSize; }
    bool isIde() const { return fIde; }
    // The system's name of the disk the last query read ("sda"), for diagnostics.
    QString diskName() const { return fDisk; }

    void setSystemPaths(const SystemPaths& paths) { fPaths = paths; }

private:
    void clearProperties();
    void queryAuto(const QString& disk);
    void queryAta(const QString& disk);
    void queryScsi(const QString& disk);
    void queryZeroRights(const QString& disk);
    void queryDeviceDatabase(const QString& disk);
    void queryByName();
    void queryScsiAddress();
    void applyBlock();
    QString diskOfDrive() const;
    QString diskAtScsiAddress() const;
    void countScsiAddresses();

    TGetInfoMethod fMethod = TGetInfoMethod::gimAuto;
    TDrive fDrive = TDrive::dPrimaryMaster;
    QString fName;
    TDriveType fType = TDriveType::dtUnknown;
    quint16 fCylsTotal = 0;
    quint16 fHeadTotal = 0;
    quint16 fBPT = 0;
    quint16 fBPS = 0;
    quint16 fSPT = 0;
    std::array<quint16, 3> fVendor{};
    QString fSerial;
    QString fRevision;
    QString fModel;
    quint32 fBufSize = 0;
    quint16 fECC = 0;
    quint32 fLBASectors = 0;
    quint64 fSize = 0;
    bool fIde = false;
    int fScsiPort = -1;
    int fScsiBus = -1;
    int fScsiDevice = -1;
    quint16 fScsiBusCount = 0;
    quint16 fScsiDevCount = 0;
    QString fScsiName;
    QString fDisk;
    SystemPaths fPaths;
};

} // namespace velun::platform
