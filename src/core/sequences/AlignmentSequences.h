#pragma once
// The exchanges around the alignment of one controller that ask the operator nothing:
// opening alignment mode with the controller's blanking, leaving it again, and sending
// the blanking of a BFS file. The alignment session and dialog and tarnctl run them; a
// failure is told through tell, at the point in the sequence where the operator is to
// hear of it, and the sequence goes on as it must to leave the controller as it was.

#include <functional>
#include <string>

class CBlankingMap;
class CControllerLink;

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

// Leaves alignment mode; a second try follows a failed one, so that a lost request does
// not leave the controller in alignment mode, and the operator hears of a failure only
// when that one fails too. 1 when either try was acknowledged.
int CloseAlignment(CControllerLink& link, const TellFunction& tell);

// What to do with a file that blanks channels the controller does not have.
enum class ChannelsBeyond { kWarnAndDrop, kRefuse };

// Reads the BFS file at path, fits it to a controller of channels and sends it. A file
// blanking channels beyond is told with the warning, then either dropped from what is
// sent or refused. 1 when the controller took the blanking, which is then in sent.
int SendBlankingFile(CControllerLink& link, const std::string& path, int channels,
                     ChannelsBeyond beyond, const TellFunction& tell, CBlankingMap& sent);
