#pragma once
// The message catalogue: every user-visible text of the program, in Russian (UTF-8).
// Numbered messages are stable identifiers; callers join fragments with names and numbers.

#include <string>
#include <string_view>

namespace q7k3 {

// Numbers of messages that code refers to by name (the rest are used by number).
enum MessageId : int {
    kMsgTimeout = 0,
    kMsgCannotOpenFile = 1,
    kMsgChecksum = 2,
    kMsgNoJar = 3,
    kMsgFileNotFound = 4,
    kMsgMemoryFull = 5,
    kMsgErrorCaption = 6,
    kMsgNotPatched = 7,
    kMsgAttentionCaption = 8,
    kMsgModelNotSupported = 20,
    kMsgPhoneSilent = 21,
    kMsgCannotOpenPort = 22,
    kMsgNoComPort = 29,
    kMsgBadAnswer = 79,       // the phone sent an answer that cannot be read
    kMsgSettingsNotSaved = 80,  // the settings file cannot be written

    // The file commands: copy both ways, delete, rename.
    kMsgFilePrefix = 9,  // "Файл " + path + kMsgTooLarge
    kMsgTooLarge = 10,
    kMsgNoDefaultMelodyRoom = 11,
    kMsgMelConvertFailed = 12,
    kMsgMelodyUnknown = 13,
    kMsgBmpUnknown = 14,
    kMsgBmpTooWide = 15,
    kMsgNoEmsPictureRoom = 16,
    kMsgNoEmsMelodyRoom = 17,
    kMsgJadCreateFailed = 18,
    kMsgWriteProtected = 19,
    kMsgDeleteQuestion = 26,     // + count + kMsgDeleteQuestionEnd
    kMsgDeleteQuestionEnd = 27,
    kMsgDeleteCaption = 28,
    kMsgCopyingFirst = 37,       // "Копирование файла 1 из " + count
    kMsgCopyingFile = 38,
    kMsgOf = 39,
    kMsgCopyingToPhone = 40,
    kMsgDeleting = 41,
    kMsgDeletingFile = 42,
    kMsgDeletingThumbs = 43,
    kMsgDeletingFirst = 44,
    kMsgRenamingFile = 50,
    kMsgRenameFetch = 51,
    kMsgRenameErase = 52,
    kMsgRenameWrite = 53,
    kMsgRenameFinish = 54,
    kMsgPutBackUnderOldName = 90,  // a rename whose write failed: the file is back
    kMsgKeptInFolder = 91,         // ... or kept in the recovery folder named after it
    kMsgCannotDelete = 92,         // a local file that could not be deleted
    kMsgBadPhoneName = 93,         // a name the phone cannot take
    // Serial port states, the protocol trace.
    kMsgPortStatesCaption = 110,
    kMsgWhyNoPort = 111,
    kMsgPortOpens = 112,
    kMsgPortOpensShared = 113,
    kMsgPortNoPermission = 114,
    kMsgPortJoinGroup = 115,
    kMsgPortGrantAccess = 116,
    kMsgPortHeldBy = 117,
    kMsgPortHeldByUnknown = 118,
    kMsgPortModemManager = 119,
    kMsgPortUdevRule = 120,
    kMsgPortUdevReload = 121,
    kMsgPortUnusable = 122,
    kMsgNoSerialDevices = 123,
    kMsgTraceLabel = 124,
    kMsgTraceOff = 125,
    kMsgTraceOn = 126,
    kMsgTraceHint = 127,
    kMsgCloseButton = 128,
    // q7k3fm-cli's own lines
    kMsgCliUnknownOption = 170,
    kMsgCliOptionNeedsValue = 171,
    kMsgCliOptionTakesNoValue = 172,
    kMsgCliUnknownCommand = 173,
    kMsgCliDidYouMean = 174,
    kMsgCliTooManyArgs = 175,
    kMsgCliMissingArgs = 176,
    kMsgCliSeeHelp = 177,
    kMsgCliBadValue = 178,
    kMsgCliLocalExists = 179,
    kMsgCliWrongInput = 180,
    kMsgCliPhoneExists = 181,
    kMsgCliKindMel = 182,
    kMsgCliKindMmf = 183,
    kMsgCliKindAni = 184,
    kMsgCliKindPicture = 185,
    kMsgCliKindEmsPicture = 186,
    kMsgCliKindImelody = 187,
    kMsgCliKindEmsMelody = 188,
    kMsgCliKindJar = 189,
    kMsgCliNoKind = 190,
    kMsgCliNoPhoneFolder = 191,
    kMsgCliNoLocalFile = 192,
    kMsgCliUnaddressableName = 193,
    kMsgCliInterrupted = 194,
    kMsgCliAmbiguousName = 195,
    kMsgCliPortNamed = 196,
    kMsgCliModelNamed = 197,
    kMsgCliNotLocalFolder = 198,
    kMsgCliConverted = 199,
};

// The text of message `number`. An unknown number is a programming error (asserts).
const std::string& Msg(int number);
int MessageCount();

// The catalogue caption of a control (or of the window itself when `control` is empty),
// by window class and object name: Caption("TProcessForm", "AbortBtn") is "Прервать".
// "Name.hint" is a control's tool tip and "Name.N" item N of a drop-down or column N of a
// list view. Returns an empty string when the catalogue holds no caption for that control.
const std::string& Caption(std::string_view window, std::string_view control);
// The number of consecutive items "control.0", "control.1", ... the catalogue holds (the
// entries of a drop-down, the columns of a list view).
int CaptionItemCount(std::string_view window, std::string_view control);

}  // namespace q7k3
