#pragma once
// CPsf: a controller's parameter set. It holds the 27 fields the dialogs edit and the
// 42-byte packed image that travels as the payload of the PSF frames and is the whole
// content of a PSF file. Pack writes the image from the fields; Unpack takes an image
// into the fields only when its checksum matches.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct FileWriteError;

constexpr int kPsfImageSize = 42;
constexpr int kPsfChecksumOffset = 40;

// The fields in their declared order.
enum PsfField : int {
    kControllerId,
    kSerialSettings,
    kScanningMethod,
    kControlMode,
    kMeas1Mode,
    kMeas2Mode,
    kScanNumber,
    kSerialTransmission,
    kReserved,
    kDiscrete1Assignment,
    kDiscrete1SetPointLow,
    kDiscrete1SetPointHigh,
    kDiscrete1HysteresisLow,
    kDiscrete1HysteresisHigh,
    kDiscrete2Assignment,
    kDiscrete2SetPointLow,
    kDiscrete2SetPointHigh,
    kDiscrete2HysteresisLow,
    kDiscrete2HysteresisHigh,
    kAnalog1Assignment,
    kAnalog1ZeroValue,
    kAnalog1Null,
    kAnalog1Span,
    kAnalog2Assignment,
    kAnalog2ZeroValue,
    kAnalog2Null,
    kAnalog2Span,
    kPsfFieldCount
};

// Where a field lies in the image: its offset and width (1 or 2 bytes, high byte first).
struct PsfFieldLayout {
    int offset;
    int width;
    int32_t defaultValue;
};
inline constexpr std::array<PsfFieldLayout, kPsfFieldCount> kPsfLayout = {{
    {0, 1, 'A'},    // controllerId
    {1, 1, 0x02},   // serialSettings: Even, 9600
    {2, 1, 1},      // scanningMethod: Straight
    {3, 1, 'b'},    // controlMode: Host
    {4, 1, 'K'},    // meas1Mode: None
    {5, 1, 'K'},    // meas2Mode: None
    {6, 1, 1},      // scanNumber
    {7, 1, 0},      // serialTransmission: no serial communication
    {8, 2, 0},      // reserved
    {10, 1, 'x'},   // discrete1Assignment: Disabled
    {11, 2, 1},     // discrete1SetPointLow
    {13, 2, 1},     // discrete1SetPointHigh
    {15, 2, 0},     // discrete1HysteresisLow
    {17, 2, 2},     // discrete1HysteresisHigh
    {19, 1, 'x'},   // discrete2Assignment: Disabled
    {20, 2, 1},     // discrete2SetPointLow (the trigger channel when output #2 is Trigger)
    {22, 2, 1},     // discrete2SetPointHigh
    {24, 2, 0},     // discrete2HysteresisLow
    {26, 2, 2},     // discrete2HysteresisHigh
    {28, 1, 'x'},   // analog1Assignment: Disabled
    {29, 1, 'b'},   // analog1ZeroValue: Null
    {30, 2, 0},     // analog1Null
    {32, 2, 4095},  // analog1Span
    {34, 1, 'x'},   // analog2Assignment: Disabled
    {35, 1, 'b'},   // analog2ZeroValue: Null
    {36, 2, 0},     // analog2Null
    {38, 2, 4095},  // analog2Span
}};

class CPsf {
public:
    // Every record starts out as the default PSF; the image is empty until packed or loaded.
    CPsf();

    // Copies the 27 fields of other; the image is not copied.
    void CopyFrom(const CPsf& other);

    // Any field by its number. One-byte fields keep the low 8 bits of value; two-byte
    // fields keep the whole value (Pack writes its low 16 bits). A number outside the
    // table reads as 0 and is not stored.
    int32_t Get(int field) const;
    void Set(int field, int32_t value);

    int32_t GetControllerId() const { return Get(kControllerId); }
    void SetControllerId(int32_t value) { Set(kControllerId, value); }
    int32_t GetSerialSettings() const { return Get(kSerialSettings); }
    void SetSerialSettings(int32_t value) { Set(kSerialSettings, value); }
    // The parity index (0 None, 1 Odd, 2 Even) is bits 0-3 of serialSettings and the baud
    // index (0 9600, 1 19200, 2 38400) bits 4-7; setting one keeps the other.
    int GetParityIndex() const { return GetSerialSettings() & 0x0F; }
    void SetParityIndex(int index);
    int GetBaudIndex() const { return (GetSerialSettings() >> 4) & 0x0F; }
    void SetBaudIndex(int index);
    int32_t GetScanningMethod() const { return Get(kScanningMethod); }
    void SetScanningMethod(int32_t value) { Set(kScanningMethod, value); }
    int32_t GetControlMode() const { return Get(kControlMode); }
    void SetControlMode(int32_t value) { Set(kControlMode, value); }
    int32_t GetScanNumber() const { return Get(kScanNumber); }
    void SetScanNumber(int32_t value) { Set(kScanNumber, value); }
    int32_t GetSerialTransmission() const { return Get(kSerialTransmission); }
    void SetSerialTransmission(int32_t value) { Set(kSerialTransmission, value); }
    int32_t GetReserved() const { return Get(kReserved); }
    void SetReserved(int32_t value) { Set(kReserved, value); }

    // Fields that exist once per output take the output number, 1 or 2; any other
    // number reads as 0 and stores nothing.
    int32_t GetMeasMode(int n) const { return Get(Of(n, kMeas1Mode, kMeas2Mode)); }
    void SetMeasMode(int n, int32_t value) { Set(Of(n, kMeas1Mode, kMeas2Mode), value); }
    int32_t GetDiscreteAssignment(int n) const { return Get(Discrete(n, kDiscrete1Assignment)); }
    void SetDiscreteAssignment(int n, int32_t value) {
        Set(Discrete(n, kDiscrete1Assignment), value);
    }
    int32_t GetDiscreteSetPointLow(int n) const { return Get(Discrete(n, kDiscrete1SetPointLow)); }
    void SetDiscreteSetPointLow(int n, int32_t value) {
        Set(Discrete(n, kDiscrete1SetPointLow), value);
    }
    int32_t GetDiscreteSetPointHigh(int n) const {
        return Get(Discrete(n, kDiscrete1SetPointHigh));
    }
    void SetDiscreteSetPointHigh(int n, int32_t value) {
        Set(Discrete(n, kDiscrete1SetPointHigh), value);
    }
    int32_t GetDiscreteHysteresisLow(int n) const {
        return Get(Discrete(n, kDiscrete1HysteresisLow));
    }
    void SetDiscreteHysteresisLow(int n, int32_t value) {
        Set(Discrete(n, kDiscrete1HysteresisLow), value);
    }
    int32_t GetDiscreteHysteresisHigh(int n) const {
        return Get(Discrete(n, kDiscrete1HysteresisHigh));
    }
    void SetDiscreteHysteresisHigh(int n, int32_t value) {
        Set(Discrete(n, kDiscrete1HysteresisHigh), value);
    }
    int32_t GetAnalogAssignment(int n) const { return Get(Analog(n, kAnalog1Assignment)); }
    void SetAnalogAssignment(int n, int32_t value) { Set(Analog(n, kAnalog1Assignment), value); }
    int32_t GetAnalogZeroValue(int n) const { return Get(Analog(n, kAnalog1ZeroValue)); }
    void SetAnalogZeroValue(int n, int32_t value) { Set(Analog(n, kAnalog1ZeroValue), value); }
    int32_t GetAnalogNull(int n) const { return Get(Analog(n, kAnalog1Null)); }
    void SetAnalogNull(int n, int32_t value) { Set(Analog(n, kAnalog1Null), value); }
    int32_t GetAnalogSpan(int n) const { return Get(Analog(n, kAnalog1Span)); }
    void SetAnalogSpan(int n, int32_t value) { Set(Analog(n, kAnalog1Span), value); }

    // Clears the image, writes every field at its offset, stores the checksum of bytes
    // 0..39 in bytes 40 and 41 and answers it.
    uint16_t Pack();
    // Takes the kPsfImageSize bytes at image: when their checksum matches, sets every
    // field from them, keeps them as this record's image and answers true; otherwise
    // changes nothing and answers false.
    bool Unpack(const unsigned char* image);
    const unsigned char* Image() const { return image.data(); }

    // Packs the record and writes its image as the whole file at path, replacing the
    // file only once the new one is complete. True when written; else *error (when
    // given) says why.
    bool SaveToFile(const std::string& path, FileWriteError* error = nullptr);
    // Takes the size bytes of a PSF file's content at data: unpacks its first
    // kPsfImageSize bytes. False, with the record unchanged, when the content is shorter
    // or its image is refused.
    bool ReadFileContent(const unsigned char* data, size_t size);
    // Reads the first kPsfImageSize bytes of the file at path and takes them as above.
    // False, with the record unchanged, also when the file cannot be read or is not a
    // regular file (a pipe is refused without waiting on it).
    bool LoadFromFile(const std::string& path);

private:
    // The field of output n, given the fields of outputs 1 and 2; -1 for other outputs.
    static int Of(int n, int first, int second) { return n == 1 ? first : n == 2 ? second : -1; }
    static int Discrete(int n, int first) {
        return Of(n, first, first + kDiscrete2Assignment - kDiscrete1Assignment);
    }
    static int Analog(int n, int first) {
        return Of(n, first, first + kAnalog2Assignment - kAnalog1Assignment);
    }

    std::array<int32_t, kPsfFieldCount> fields;
    std::array<unsigned char, kPsfImageSize> image{};
};
