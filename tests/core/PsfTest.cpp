// The PSF record: defaults and their packed image, pack/unpack round trips and the
// checksum refusal, the field setters, the PSF file, and the code tables.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <random>
#include <vector>

#include "TempFolder.h"
#include "records/Psf.h"
#include "records/PsfCodes.h"

namespace {

using Image = std::array<unsigned char, kPsfImageSize>;

Image ImageOf(const CPsf& psf) {
    Image image;
    std::copy_n(psf.Image(), kPsfImageSize, image.begin());
    return image;
}

void ExpectSameFields(const CPsf& expected, const CPsf& actual) {
    for (int field = 0; field < kPsfFieldCount; ++field) {
        EXPECT_EQ(expected.Get(field), actual.Get(field)) << "field " << field;
    }
}

// A record with every field random within its width.
CPsf RandomPsf(std::mt19937& random) {
    CPsf psf;
    for (int field = 0; field < kPsfFieldCount; ++field) {
        psf.Set(field,
                static_cast<int32_t>(random() % (kPsfLayout[field].width == 1 ? 256 : 65536)));
    }
    return psf;
}

TEST(PsfTest, DefaultRecordPacksToTheDefaultImage) {
    CPsf psf;
    EXPECT_EQ(0xF9FA, psf.Pack());
    const Image expected = {'A',  0x02, 0x01, 'b',  'K',  'K',  0x01, 0x00, 0x00, 0x00, 'x',
                            0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 'x',  0x00, 0x01,
                            0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 'x',  'b',  0x00, 0x00, 0x0F,
                            0xFF, 'x',  'b',  0x00, 0x00, 0x0F, 0xFF, 0xF9, 0xFA};
    EXPECT_EQ(expected, ImageOf(psf));
}

TEST(PsfTest, PackThenUnpackGivesBackEveryField) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        CPsf original = RandomPsf(random);
        original.Pack();
        CPsf copy;
        ASSERT_TRUE(copy.Unpack(original.Image()));
        ExpectSameFields(original, copy);
        EXPECT_EQ(ImageOf(original), ImageOf(copy));
    }
}

TEST(PsfTest, ReservedWordIsCarriedThrough) {
    CPsf fromController;
    fromController.SetReserved(0xBEEF);
    fromController.Pack();
    CPsf working;
    ASSERT_TRUE(working.Unpack(fromController.Image()));
    working.SetScanNumber(4);
    working.Pack();
    EXPECT_EQ(0xBE, working.Image()[8]);
    EXPECT_EQ(0xEF, working.Image()[9]);
}

TEST(PsfTest, AnyChangedByteIsRefusedAndChangesNothing) {
    std::mt19937 random(11);
    CPsf source = RandomPsf(random);
    source.Pack();
    CPsf record = RandomPsf(random);
    record.Pack();
    const CPsf before = record;
    for (int offset = 0; offset < kPsfImageSize; ++offset) {
        Image image = ImageOf(source);
        image[offset] ^= 0x10;
        EXPECT_FALSE(record.Unpack(image.data())) << "offset " << offset;
    }
    ExpectSameFields(before, record);
    EXPECT_EQ(ImageOf(before), ImageOf(record));
}

TEST(PsfTest, UnpackOfItsOwnImageKeepsTheRecord) {
    CPsf psf;
    psf.SetAnalogSpan(2, 3000);
    psf.Pack();
    const CPsf before = psf;
    ASSERT_TRUE(psf.Unpack(psf.Image()));
    ExpectSameFields(before, psf);
}

TEST(PsfTest, SettersKeepTheirFieldWidths) {
    CPsf psf;
    psf.SetControlMode(0x163);
    EXPECT_EQ(0x63, psf.GetControlMode());
    // Two-byte fields hold the whole value; the image keeps its low 16 bits.
    psf.SetAnalogSpan(1, 0x12345);
    EXPECT_EQ(0x12345, psf.GetAnalogSpan(1));
    psf.Pack();
    EXPECT_EQ(0x23, psf.Image()[32]);
    EXPECT_EQ(0x45, psf.Image()[33]);
}

TEST(PsfTest, PerOutputFieldsAreAddressedByOutputNumber) {
    CPsf psf;
    psf.SetDiscreteSetPointLow(2, 37);
    psf.SetDiscreteHysteresisHigh(1, 9);
    psf.SetAnalogNull(2, 500);
    psf.SetMeasMode(2, 'C');
    EXPECT_EQ(37, psf.Get(kDiscrete2SetPointLow));
    EXPECT_EQ(1, psf.Get(kDiscrete1SetPointLow));
    EXPECT_EQ(9, psf.Get(kDiscrete1HysteresisHigh));
    EXPECT_EQ(500, psf.Get(kAnalog2Null));
    EXPECT_EQ('C', psf.Get(kMeas2Mode));
    // Outputs other than 1 and 2 read as 0 and store nothing.
    const CPsf before = psf;
    psf.SetAnalogSpan(3, 1);
    psf.SetDiscreteAssignment(0, 'y');
    ExpectSameFields(before, psf);
    EXPECT_EQ(0, psf.GetAnalogSpan(0));
    EXPECT_EQ(0, psf.GetDiscreteSetPointLow(3));
}

TEST(PsfTest, ParityAndBaudAreTheNibblesOfSerialSettings) {
    CPsf psf;
    EXPECT_EQ(2, psf.GetParityIndex());
    EXPECT_EQ(0, psf.GetBaudIndex());
    psf.SetBaudIndex(2);
    EXPECT_EQ(0x22, psf.GetSerialSettings());
    psf.SetParityIndex(0);
    EXPECT_EQ(0x20, psf.GetSerialSettings());
    EXPECT_EQ(2, psf.GetBaudIndex());
    psf.SetParityIndex(0x31);  // only bits 0-3 are the parity
    EXPECT_EQ(0x21, psf.GetSerialSettings());
}

TEST(PsfTest, CopyFromTakesTheFieldsButNotTheImage) {
    CPsf source;
    source.SetControllerId('F');
    source.Pack();
    CPsf target;
    target.CopyFrom(source);
    EXPECT_EQ('F', target.GetControllerId());
    EXPECT_EQ(0, target.Image()[0]);
}

TEST(PsfTest, FilesRoundTripAndBadFilesLeaveTheRecordAlone) {
    CTempFolder folder;
    const std::string path = folder.File("controller.PSF");
    CPsf saved;
    saved.SetControllerId('D');
    saved.SetReserved(0x0102);
    ASSERT_TRUE(saved.SaveToFile(path));
    EXPECT_EQ(static_cast<uintmax_t>(kPsfImageSize), std::filesystem::file_size(path));
    CPsf loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path));
    ExpectSameFields(saved, loaded);

    CPsf untouched;
    untouched.SetScanNumber(5);
    const CPsf before = untouched;
    EXPECT_FALSE(untouched.LoadFromFile(folder.File("absent.PSF")));
    std::filesystem::resize_file(path, kPsfImageSize - 1);
    EXPECT_FALSE(untouched.LoadFromFile(path));
    ASSERT_TRUE(saved.SaveToFile(path));
    {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(6);
        file.put(9);  // scan number changed, checksum kept
    }
    EXPECT_FALSE(untouched.LoadFromFile(path));
    ExpectSameFields(before, untouched);
    EXPECT_FALSE(saved.SaveToFile(folder.File("absent/controller.PSF")));
}

// A file's content is read from its first 42 bytes; a shorter one is refused, also where
// the byte after its end would complete a good image.
TEST(PsfTest, AFileContentIsReadOnlyWhenItHoldsAWholeImage) {
    CPsf saved;
    saved.SetControllerId('D');
    saved.Pack();
    std::vector<unsigned char> content(saved.Image(), saved.Image() + kPsfImageSize);
    content.push_back(0x5A);
    for (const size_t size : {size_t{0}, size_t{1}, size_t{kPsfImageSize - 1},
                              size_t{kPsfImageSize}, size_t{kPsfImageSize + 1}}) {
        CPsf read;
        read.SetScanNumber(5);
        const bool whole = size >= kPsfImageSize;
        EXPECT_EQ(whole, read.ReadFileContent(content.data(), size)) << size << " bytes";
        EXPECT_EQ(whole ? 'D' : CPsf().GetControllerId(), read.GetControllerId()) << size;
        EXPECT_EQ(whole ? saved.GetScanNumber() : 5, read.GetScanNumber()) << size;
    }
}

TEST(PsfCodesTest, ScanningMethodIndexesAndCodes) {
    const int codes[] = {1, 3, 20, 36, 52, 68, 84};
    for (int index = 0; index < static_cast<int>(kScanningMethodTexts.size()); ++index) {
        EXPECT_EQ(codes[index], ScanningMethodCode(index));
        EXPECT_EQ(index, ScanningMethodIndex(codes[index]));
    }
    EXPECT_EQ(6, ScanningMethodIndex(99));
    EXPECT_EQ(1, ScanningMethodIndex(2));     // (2 - 4) / 16 truncates toward zero
    EXPECT_EQ(0xF4, ScanningMethodCode(16));  // kept to 8 bits
}

TEST(PsfCodesTest, OutputCodesAndListIndexes) {
    for (int index = 0; index < 7; ++index) {
        EXPECT_EQ("xyzYZwv"[index], OutputCode(index));
    }
    EXPECT_EQ('x', OutputCode(-1));
    for (int code = 0; code < 256; ++code) {
        const int shown = OutputListIndex(PsfOutput::discrete2, code);
        switch (code) {
            case 'x':
            case 'y':
            case 'z':
            case 'Y':
            case 'Z':
                EXPECT_EQ(OutputListIndex(PsfOutput::analog1, code), shown);
                EXPECT_EQ(code, OutputCode(shown));
                break;
            case 'v':
                EXPECT_EQ(6, shown);
                break;
            default:
                EXPECT_EQ(5, shown) << "code " << code;  // Alarm
                EXPECT_EQ(-1, OutputListIndex(PsfOutput::discrete1, code));
        }
    }
    EXPECT_EQ(-1, OutputListIndex(PsfOutput::analog2, 'x' + 256));
    EXPECT_FALSE(OutputInUse(PsfOutput::analog1, 'x'));
    EXPECT_TRUE(OutputInUse(PsfOutput::discrete1, 'w'));
    EXPECT_FALSE(OutputInUse(PsfOutput::discrete2, 'w'));
    EXPECT_FALSE(OutputInUse(PsfOutput::discrete2, 'v'));
    EXPECT_TRUE(OutputInUse(PsfOutput::discrete2, 'Z'));
}

TEST(PsfCodesTest, SerialTransmissionModes) {
    EXPECT_EQ(SerialMode::none, SerialModeOf(0));
    EXPECT_EQ(SerialMode::measurementResult, SerialModeOf(0x47));
    EXPECT_EQ(SerialMode::allMode, SerialModeOf(0x50));
    EXPECT_EQ(SerialMode::maxMeasOnClear, SerialModeOf(0x63));
    EXPECT_EQ(SerialMode::maxMeasOnRequest, SerialModeOf(0x70));
    EXPECT_EQ(SerialMode::maxMeasOnRequest, SerialModeOf(0x04));
    EXPECT_EQ(SerialMode::maxMeasOnRequest, SerialModeOf(0x93));
    EXPECT_EQ(0x47, WithSerialMode(0x57, SerialMode::measurementResult));
    EXPECT_EQ(0x73, WithSerialMode(0x63, SerialMode::maxMeasOnRequest));
    EXPECT_EQ(0, WithSerialMode(0x57, SerialMode::none));
}

}  // namespace
