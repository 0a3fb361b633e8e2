#pragma once
// The message catalogue: every user-visible text of the program, in Russian (UTF-8), the
// source of the English translation (translations/q7k3fm_en.ts). Numbered messages are
// stable identifiers; callers join fragments with names and numbers.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace q7k3 {

// Numbers of the messages, by the names code refers to them with.
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
    kMsgFilePrefix = 9,              // "Файл " + name + kMsgTooLarge
    kMsgTooLarge = 10,
    kMsgNoDefaultMelodyRoom = 11,
    kMsgMelConvertFailed = 12,
    kMsgMelodyUnknown = 13,          // "Файл мелодии не опознан"
    kMsgBmpUnknown = 14,
    kMsgBmpTooWide = 15,
    kMsgNoEmsPictureRoom = 16,
    kMsgNoEmsMelodyRoom = 17,
    kMsgJadCreateFailed = 18,
    kMsgWriteProtected = 19,
    kMsgModelNotSupported = 20,
    kMsgPhoneSilent = 21,
    kMsgCannotOpenPort = 22,
    kMsgDeleteQuestion = 26,         // + count + kMsgDeleteQuestionEnd
    kMsgDeleteQuestionEnd = 27,
    kMsgDeleteCaption = 28,
    kMsgNoComPort = 29,
    kMsgLostLink = 30,              // the preview could not fetch a phone file
    kMsgCachingFiles = 35,           // the scan's quick status
    kMsgInitializing = 36,           // the scan's long status
    kMsgCopyingFirst = 37,           // "Копирование файла 1 из " + count
    kMsgCopyingFile = 38,
    kMsgOf = 39,                     // " из "
    kMsgCopyingToPhone = 40,
    kMsgDeleting = 41,
    kMsgDeletingFile = 42,
    kMsgDeletingThumbs = 43,
    kMsgDeletingFirst = 44,
    kMsgCompiling = 45,              // "Компилирование Java"
    kMsgRenamingFile = 50,
    kMsgRenameFetch = 51,
    kMsgRenameErase = 52,
    kMsgRenameWrite = 53,
    kMsgRenameFinish = 54,
    kMsgUpdatingFolder = 55,         // "Обновление папки " + folder name
    kMsgUpdatingCurrent = 56,        // "Обновление текущей папки"
    kMsgEnterShortName = 57,         // caption of the input box that names a favourite
    kMsgRenameCaption = 58,          // the rename dialog's own caption
    kMsgFinishingOperation = 59,
    kMsgReading = 60,                // the preview's status: "Чтение " + name + "..."
    kMsgViewing = 61,                // "Просмотр " + position + "/" + count
    kMsgJavaUpdatingList = 62,
    kMsgJavaAnalysing = 63,
    kMsgJavaErasingSuites = 64,
    kMsgJavaErasingSuitesName = 65,
    kMsgJavaWritingSuites = 66,
    kMsgJavaWritingSuitesName = 67,
    kMsgJavaRelisting = 68,
    kMsgTransferCaption = 69,        // "Передача данных... " (+ speed + kMsgSpeedUnit)
    kMsgSpeedUnit = 70,
    kMsgKbOf = 71,                   // selection line: " КБ из "
    kMsgKbFiles = 72,                // selection line: " KБ,Файлов: "
    kMsgFree = 73,                   // "Свободно "
    kMsgPhoneTotal = 74,             // " KB из 13104 KB"
    kMsgMbOf = 75,
    kMsgMb = 76,
    kMsgTrailingBlank = 77,
    kMsgCachingAborted = 78,
    kMsgBadAnswer = 79,              // the phone sent an answer that cannot be read
    kMsgSettingsNotSaved = 80,       // the settings file cannot be written
    kMsgPutBackUnderOldName = 90,    // a rename whose write failed: the file is back
    kMsgKeptInFolder = 91,           // ... or kept in the recovery folder named after it
    kMsgCannotDelete = 92,           // a local file that could not be deleted
    kMsgBadPhoneName = 93,           // a name the phone cannot take
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
    kMsgMelodyUnsupported = 130,     // a SMAF melody in a format the player does not play
    kMsgNoSoundFont = 131,           // no General MIDI soundfont to render melodies with
    kMsgMelodyCrc = 132,             // a melody whose CRC does not match (a warning)
    kMsgJavaNoDescriptor = 140,      // "Ошибка компиляции Файл " + descriptor + message 141
    kMsgJavaNoDescriptorEnd = 141,
    kMsgJavaNameTooLong = 142,       // + the name whose record would exceed 255 bytes
    kMsgJavaRegistryTooLong = 143,
    kMsgJavaOldRestored = 144,       // what the phone holds after a failed write (appended)
    kMsgJavaNoSuites = 145,
    kMsgJavaNewSuites = 146,
    kMsgJavaNoSuitesName = 147,
    kMsgJavaRunAgain = 148,
    // Backup of the whole phone to a folder, restore, verify.
    kMsgBackupCaption = 150,  // the progress caption of a backup
    kMsgRestoreCaption = 151,
    kMsgVerifyCaption = 152,
    kMsgListingFolder = 153,  // + path line
    kMsgKilobytes = 154,  // "Копирование файла k из N, X из Y КБ"
    kMsgTimeLeft = 155,  // + "m:ss"
    kMsgNoBackup = 156,  // + folder
    kMsgBadManifest = 157,  // + path:line
    kMsgCannotMakeFolder = 158,  // + path
    kMsgRestoreMemoryFull = 159,  // + k + kMsgOf + n
    kMsgRestored = 160,  // + list
    kMsgNotRestored = 161,  // + list
    kMsgNoPhoneFolder = 162,  // + path line
    kMsgBackupDamaged = 163,  // + path
    kMsgMissingOnPhone = 164,  // verify
    kMsgChangedOnPhone = 165,
    kMsgNotInBackup = 166,
    kMsgCrcDiffers = 167,
    kMsgBackupMatches = 168,
    kMsgBackupSummary = 169,  // + n, then kMsgKilobytes
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
    // The main window's panes and connection state.
    kMsgNoPhone = 200,
    kMsgConnect = 201,
    kMsgMarkTitle = 202,
    kMsgUnmarkTitle = 203,
    kMsgPatternLabel = 204,
    kMsgOpenItem = 205,
    kMsgOpenWithDesktop = 206,
    // The window's backup, restore and verify.
    kMsgBackupMenu = 210,
    kMsgRestoreMenu = 211,
    kMsgVerifyMenu = 212,
    kMsgBackupFolderCaption = 213,  // the folder chooser's title
    kMsgRestoreChoiceCaption = 214,  // the restore selection dialog's title
    kMsgVerifyDeep = 215,  // the check box of the verify question
    kMsgVerifyAborted = 216,
    kMsgBackupKept = 217,  // appended to kMsgBackupSummary: + n
    kMsgBackupAborted = 218,
    kMsgRestoredCount = 219,  // + k + kMsgOf + n
    // 200-219 reserved.
    kMsgPhoneUnfinished = 220,   // the phone answers but never finishes its answer
    kMsgPhoneGarbled = 221,      // bytes come, but no answer
    kMsgAborted = 222,
    kMsgTooManyFolders = 223,    // discovery stopped at its folder limit
    kMsgPortMissing = 224,       // a port state: the device is not there
    kMsgKeptUnderTemporaryName = 245,  // a replacing write failed late: + the temporary name
    kMsgTemporaryLeft = 246,           // the temporary file could not be erased: + its name
    // The link and the session.
    kMsgPortGone = 250,     // the port's device went away under a running exchange: + the port
    kMsgSessionBusy = 251,  // an entry point refused while an operation runs
    // Real files made by others: melodies, iMelody, MIDlet archives.
    kMsgNoSoundDevice = 300,       // the preview cannot sound: no audio output
    kMsgWaveCodingUnplayed = 301,  // a melody's wave in a coding the player does not decode
    kMsgEmsMelodyTooLong = 302,    // an iMelody tune longer than an SMS melody may be
    kMsgJarNoManifest = 303,       // a zip archive without the MIDlet manifest
    // Nothing lost by a slip, a signal or a hostile phone.
    kMsgDeletePhoneQuestion = 320,  // + «name»? or + N + kMsgDeleteQuestionEnd
    kMsgQuoteOpen = 321,
    kMsgQuoteCloseQuestion = 322,
    kMsgEarlyOk = 323,  // + name (k из n)
    kMsgSkippedExisting = 324,  // + the phone paths
    kMsgStdinTooLarge = 325,  // + bytes + kMsgBytes
    kMsgBytes = 326,
    kMsgStdinUnsaved = 327,  // + path
    kMsgLinkRefused = 328,  // + path
    kMsgReplaceFinished = 329,  // + phone path
    kMsgTemporaryErased = 330,  // + phone path
    kMsgMissingCount = 331,  // + n (the restore dialog)
    kMsgMissingMark = 332,  // the restore list's mark of a file missing on the phone
    // Names the phone cannot give back.
    kMsgNameTooLong = 333,  // + the folder's limit + kMsgNameTooLongEnd + the name
    kMsgNameTooLongEnd = 334,
    kMsgSavedAs = 335,  // phone path + this + local name + kMsgNameOf + the name the rules gave
    kMsgNameOf = 336,
    kMsgNameTakenByThisCommand = 337,
    kMsgNotReadableOnPhone = 338,  // + the phone paths
    kMsgEmptyFileLeft = 339,  // + the local path
    kMsgPhoneNameUsed = 340,  // local path + this + phone path (put -v)
    kMsgErasedKeptForNextConnection = 341,  // + the phone paths
    // Errors that say what to do, progress, the panes' habits.
    kMsgCliNoPortSet = 350,  // the CLI without --port, Q7K3FM_PORT or a stored port
    kMsgCliPortAdvice = 351,  // after "порт: PATH" of a silent phone
    kMsgPortTried = 352,  // + the port the window tried
    kMsgCheckPhone = 353,  // after a time-out or a silent phone
    kMsgChoosePort = 354,
    kMsgPhoneRefused = 355,  // a plain ERROR answer
    kMsgDiskFull = 356,  // reasons of a local failure
    kMsgDiskReadOnly = 357,
    kMsgNoWriteRights = 358,  // + folder
    kMsgNoReadRights = 359,
    kMsgIsFolder = 360,
    kMsgNotRegularFile = 361,
    kMsgNoSuchFolder = 362,
    kMsgNoSuchLocalFile = 363,
    kMsgSystemError = 364,  // + errno
    kMsgCannotWriteFolder = 365,  // + folder + ": " + reason
    kMsgNotAFolder = 366,
    kMsgGoneMeanwhile = 368,  // + n, after the backup summary
    kMsgRestoredLine = 369,  // restore's list: a tab and the path follow
    kMsgNotRestoredLine = 370,
    kMsgNothingToRestore = 371,
    kMsgVirtualFolder = 372,  // + path
    kMsgCliTraceFailed = 373,  // + path + ": " + reason
    kMsgPortFromSettings = 374,  // after the port named
    kMsgPortFromEnvironment = 375,
    kMsgGuiUsage = 376,  // q7k3fm --help
    kMsgDateColumn = 377,  // the phone pane's date column
    kMsgSkippedLine = 378,  // restore's list: a file the phone already holds
    // The phone search ("Найти телефон", q7k3fm-cli detect) and a cable plugged in.
    kMsgFindPhone = 400,
    kMsgStopSearch = 401,
    kMsgSearchCaption = 402,    // + ": " + k + kMsgOf + n while it runs
    kMsgFoundPhone = 403,       // + model + ", " + rate + kMsgBitsPerSecond
    kMsgFoundOtherModel = 404,  // + model
    kMsgFoundModem = 405,       // + " (" + what it called itself + ")"
    kMsgFoundSilent = 406,
    kMsgFoundGarbled = 407,
    kMsgFoundStopped = 408,
    kMsgBitsPerSecond = 409,
    kMsgNoPhoneFound = 410,
    kMsgSeveralPhones = 411,
    kMsgOnePhoneFound = 412,  // + port
    kMsgPluggedPhone = 413,   // + model + " (" + port + ")" + kMsgConnectToIt
    kMsgConnectToIt = 414,
    kMsgStoredPortSilent = 415,  // + port + kMsgTrySearch
    kMsgTrySearch = 416,
    kMsgCliSeveralPhones = 417,
    kMsgChoosePhone = 418,
    kMsgFindPhoneHint = 419,
    // Nothing lost: a second phone, cut renames, leftovers (420-449).
    kMsgStepWaitsForOtherPhone = 420,  // + phone path
    kMsgSamePhoneQuestion = 421,  // + phone path + kMsgSamePhoneQuestionEnd
    kMsgSamePhoneQuestionEnd = 422,
    kMsgCliSamePhoneAdvice = 423,  // after kMsgSamePhoneQuestion + path, in place of its end
    kMsgRenameFinished = 425,  // + phone path
    kMsgCliYesNo = 426,  // after a question asked on the terminal
    kMsgOldNameLeft = 427,  // a rename: + the old name the phone kept
    kMsgLeftoverPart = 428,  // verify: + the local path of a part file a killed copy left
    kMsgTemporaryNotSaved = 429,  // backup: + the phone paths of recorded temporary files
    kMsgCliNotSaved = 430,  // an interrupt during a read: + the phone paths
    kMsgPhoneFinishingCut = 431,  // + seconds + kMsgSecondsWait
    kMsgSecondsWait = 432,
    kMsgWaitLeft = 433,  // the progress line of that wait: + m:ss

    // Dialogs, progress and the advice of errors (450-499).
    kMsgExistingFile = 450,  // the conflict dialog: + size + ", " + date
    kMsgIncomingFile = 451,
    kMsgBytePlural = 452,  // MsgN: "12 345 байт"
    kMsgFilePlural = 453,  // MsgN: "3 файла"
    // The settings' line page in words (the keys stay as stored).
    kMsgDtrOnOpenLabel = 454,
    kMsgHardwareFlowLabel = 455,
    kMsgSoftwareFlowLabel = 456,
    kMsgCheckLineLabel = 457,
    kMsgRtsOnlyItem = 458,
    kMsgQuestionMark = 459,
    // A batch copy's summary: + n + kMsgSkippedCount + n + kMsgRefusedCount + n, then a
    // line for each file left out.
    kMsgCopiedCount = 460,
    kMsgSkippedCount = 461,
    kMsgRefusedCount = 462,
    // q7k3fm-cli's advice after a port or a phone that failed; the command follows on its
    // own line.
    kMsgAdvicePortMissing = 463,
    kMsgAdvicePortHeld = 464,
    kMsgAdviceNotSerial = 465,
    kMsgAdviceSilentPhone = 466,
    kMsgAdviceNoPhoneFound = 467,
    kMsgCliFolderNotFile = 468,  // «path» + it
    kMsgPortNotTerminal = 469,   // a port's state: a file or device that is no terminal
    kMsgSkippedReason = 470,     // restore's skipped line: why
    kMsgSkippedCure = 471,       // and what to do
    kMsgLinkType = 472,          // the computer pane's type of a symbolic link
    kMsgBrokenLinkType = 473,    // ... of one that leads nowhere
    kMsgGoToFolder = 474,        // the File menu's item (Ctrl+L) and its box
    kMsgNoSuchLocalFolder = 475,  // + path
    kMsgDisconnect = 476,         // the File menu's item

    // Contacts and messages (500-599).
    kMsgNoPimCommands = 530,  // the phone answers none of the phonebook and message commands
    kMsgNoPimCharset = 531,
    kMsgNoContacts = 532,
    kMsgNoMessages = 533,
    kMsgListingCut = 534,
    kMsgBadNumber = 535,  // + the number
    kMsgNumberTooLong = 536,  // + the number
    kMsgContactNameTooLong = 537,  // + the limit + ": " + the name
    kMsgNameNotInCharset = 538,  // + the name
    kMsgSlotTaken = 539,  // + the slot
    kMsgContactsFolder = 540,  // the phonebook, as the progress line names it
    kMsgMessagesFolder = 541,
    kMsgCliBadStore = 542,  // + the store's name
    kMsgCliBadSubcommand = 543,  // + the word
    kMsgCliBadIndex = 544,  // + the word
    kMsgNoSuchMessage = 545,  // + the slot
    // The import of contacts from a file.
    kMsgImportWrittenCount = 546,  // + n [+ kMsgImportAlreadyCount + m] [+ kMsgImportNotWrittenCount + k]
    kMsgImportAlreadyCount = 547,
    kMsgImportAlready = 548,       // an entry's why
    kMsgImportFull = 549,
    kMsgImportStopped = 550,
    kMsgImportNameCut = 551,       // + the name as the file had it
    kMsgImportCutQuestion = 552,   // + the limit + ": " + the first such name
    kMsgImportCaption = 553,
    kMsgImportCutHint = 554,       // the command line's advice after names left out
    kMsgWritingContacts = 555,     // the progress line
    kMsgImportNoCards = 556,       // + the file
    kMsgImportNotWrittenCount = 557,
    kMsgImportIntoStore = 558,     // the box's first line: + the store
    // Contacts and messages in a backup.
    kMsgContactsSaved = 559,  // + the count
    kMsgMessagesSaved = 560,
    kMsgContactsNotSaved = 561,  // + why
    kMsgMessagesNotSaved = 562,
    kMsgFilesOnlyHint = 563,
    kMsgNoSuchPhonebook = 564,  // + the store
    kMsgRestoreContactsCheck = 565,  // + the count
    kMsgOnlyVcfToContacts = 566,
    kMsgNoCopyToMessages = 567,
    kMsgContactsNotRestored = 568,  // + why
    // The phone pane's folders of contacts and messages.
    kMsgNumberColumn = 572,
    kMsgStoreColumn = 573,
    kMsgSenderColumn = 574,
    kMsgTextColumn = 575,
    kMsgReadingContacts = 576,  // + done [+ kMsgOf + expected [+ kMsgTimeLeft + m:ss]]
    kMsgReadingMessages = 577,
    kMsgEntryPlural = 578,
    kMsgMessageCaption = 579,     // F3's box
    kMsgUnreadableMessage = 580,  // + why
    kMsgDeliveryReport = 581,     // a status report's text
    kMsgExportedTo = 582,         // + the file written
    // What became of an imported entry, in the command line's report to a person.
    kMsgImportResultWritten = 599,
    kMsgImportResultCut = 600,
    kMsgImportResultAlready = 601,
    kMsgImportResultRefused = 602,
    kMsgImportResultFull = 603,
    kMsgImportResultStopped = 604,
    kMsgImportResultFailed = 605,

    // The session (600-619).

    // Languages and the package (620-649).
    kMsgLanguageLabel = 620,   // the settings' choice, in both languages
    kMsgLanguageSystem = 621,  // the desktop's language
    kMsgLanguageRussian = 622,
    kMsgLanguageEnglish = 623,
    kMsgLanguageAtNextStart = 624,
    kMsgByteCount = 625,  // MsgN: "48165 байт", the digits as they are (the command line's lines)
    kMsgDeletePhoneCount = 626,  // MsgN: the phone's delete question about several files
};

// The text of message `number`, in the language set (base/Language.h; Russian until one is).
// An unknown number is a programming error (asserts).
const std::string& Msg(int number);
// A plural text (one holding "%n"): the form for `count` in the language set, "%n" replaced
// by the count ("1 файл", "3 файла", "5 файлов"), "%Ln" by the count as the locale writes it
// ("12 345 байт").
std::string MsgN(int number, int64_t count);
int MessageCount();
// The Russian source of message `number`, whatever the language.
const char* MessageSource(int number);
// True when the message has a translation entry (every non-empty text has one).
bool MessageTranslatable(int number);
// Makes Msg() and Caption() answer through Translate() (true) or in the Russian source
// (false). UseLanguage calls these once the translations are loaded.
void TranslateCatalogue(bool translated);
void TranslateCaptions(bool translated);

// The catalogue caption of a control (or of the window itself when `control` is empty),
// by window class and object name: Caption("TProcessForm", "AbortBtn") is "Прервать".
// "Name.hint" is a control's tool tip and "Name.N" item N of a drop-down or column N of a
// list view. Returns an empty string when the catalogue holds no caption for that control.
const std::string& Caption(std::string_view window, std::string_view control);
// Every caption's window and control, in the table's order (for tests and tools).
std::vector<std::pair<std::string, std::string>> CaptionKeys();
// The number of consecutive items "control.0", "control.1", ... the catalogue holds (the
// entries of a drop-down, the columns of a list view).
int CaptionItemCount(std::string_view window, std::string_view control);

}  // namespace q7k3
