#pragma once
// The exchanges around the alignment of one controller that ask the operator nothing:
// opening alignment mode with the controller's blanking, leaving it again, and sending
// the blanking of a BFS file. The alignment session and dialog and tarnctl run them; a
// failure is told through tell, at the point in the sequence where the operator is to
// hear of it, and the sequence goes on as it must to leave the controller as it was: the
// steps that leave alignment mode go over a new connection when a device server's was lost.

#include <functional>
#include <string>

class CBlankingMap;
class CControllerLink;
class CDiagnostics;

using TellFunction = std::function<void(const char* text)>;

inline constexpr const char* kAlignmentAbortedTail = "\nAlignment aborted...";
inline constexpr const char* kNotOperational =
    "Alignment cannot be executed because\nthe device is not Operational.";
inline constexpr const char* kBlankingUploadFailed =
    "Unable to upload blanking fields from controller.";
inline constexpr const char* kBlankingDownloadFailed =
    "Unable to download blanking fields to controller.";
inline constexpr const char* kEnterAlignmentFailed = "Unable to enter alignment mode";
inline constexpr const char* kExitAlignmentFailed = "Unable to exit alignment mode";

// Run once the controller has been found operational: pauses a second, reads the
// controller's blanking into map (whose channel count is the controller's) and enters
// alignment mode. 1 when the controller is in alignment mode; when entering was not
// acknowledged, the exit is sent anyway, since the request may have arrived with only
// its answer lost.
int OpenAlignment(CControllerLink& link, CBlankingMap& map, const TellFunction& tell);

// What the alignment command's opening came to.
struct AlignmentOpening {
    int opened = 0;  // 1: the controller is in alignment mode
    // Not opened because the diagnostics could not be read (their failure text) or the
    // controller is not Operational (kNotOperational); nothing but the diagnostics' reads
    // was sent. nullptr otherwise: OpenAlignment ran and told its own failure.
    const char* refusal = nullptr;
};

// The alignment command's first step: reads both diagnostics into emitter and receiver
// and finds the controller Operational. nullptr when it is, else the refusal as in
// AlignmentOpening.
const char* CheckAlignable(CControllerLink& link, CDiagnostics& emitter, CDiagnostics& receiver);

// The alignment command's opening: CheckAlignable, then map is made the size of the
// controller's channels and OpenAlignment runs with it.
AlignmentOpening OpenAlignmentSession(CControllerLink& link, CDiagnostics& emitter,
                                      CDiagnostics& receiver, CBlankingMap& map,
                                      const TellFunction& tell);

// Leaves alignment mode; a second try follows a failed one, so that a lost request does
// not leave the controller in alignment mode, and the operator hears of a failure only
// when that one fails too. 1 when either try was acknowledged.
int CloseAlignment(CControllerLink& link, const TellFunction& tell);

// What to do with a file that blanks channels the controller does not have.
enum class ChannelsBeyond { kWarnAndDrop, kRefuse };

// The refusal of a file that blanks channels a controller of channels lacks.
std::string ChannelsBeyondRefusal(int channels);

// Reads the BFS file at path, fits it to a controller of channels and sends it. A file
// blanking channels beyond is either told with the warning and dropped from what is sent,
// or refused with ChannelsBeyondRefusal. 1 when the controller took the blanking, which
// is then in sent.
int SendBlankingFile(CControllerLink& link, const std::string& path, int channels,
                     ChannelsBeyond beyond, const TellFunction& tell, CBlankingMap& sent);
// The same with the file's map already read.
int SendBlankingMap(CControllerLink& link, const CBlankingMap& fileMap, int channels,
                    ChannelsBeyond beyond, const TellFunction& tell, CBlankingMap& sent);
