#include <QtGlobal>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/Language.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

// Keys, as the windows look them up:
//   ""               the window's own caption
//   "Name"           the text of the control with that object name
//   "Name.hint"      its tool tip
//   "Name.N"         item N of a drop-down, or column N of a list view
// Labels that the windows do not otherwise name carry the names of their design.
// A Russian caption is marked for lupdate with its window as the context; the names, numbers
// and Latin words of the design stay as they are in every language.
struct Row {
    const char* window;
    const char* control;
    const char* text;
};

constexpr Row kRows[] = {
    // Main window.
    {"TForm1", "", "Q7K3FileManager v0.53+"},
    {"TForm1", "FileMenu", QT_TRANSLATE_NOOP("TForm1", "Файл")},
    {"TForm1", "Settings1", QT_TRANSLATE_NOOP("TForm1", "Настройки")},
    {"TForm1", "Exit1", QT_TRANSLATE_NOOP("TForm1", "Выход")},
    {"TForm1", "Help1", QT_TRANSLATE_NOOP("TForm1", "Помощь")},
    {"TForm1", "Help2", QT_TRANSLATE_NOOP("TForm1", "Помощь")},
    {"TForm1", "About1", QT_TRANSLATE_NOOP("TForm1", "О программе")},
    {"TForm1", "About1.hint", QT_TRANSLATE_NOOP("TForm1", "Информация о программе")},
    {"TForm1", "AddCurrentDir1", QT_TRANSLATE_NOOP("TForm1", "Добавить текущую папку")},
    {"TForm1", "Setup1", QT_TRANSLATE_NOOP("TForm1", "Настроить")},
    {"TForm1", "ListPhone.0", QT_TRANSLATE_NOOP("TForm1", "Имя")},
    {"TForm1", "ListPhone.1", QT_TRANSLATE_NOOP("TForm1", "Размер")},
    {"TForm1", "ViewBtn", QT_TRANSLATE_NOOP("TForm1", "F3 Просмотр")},
    {"TForm1", "RfreshBtn", QT_TRANSLATE_NOOP("TForm1", "F4 Обновить")},
    {"TForm1", "CopyBtn", QT_TRANSLATE_NOOP("TForm1", "F5 Копия")},
    {"TForm1", "Rename", QT_TRANSLATE_NOOP("TForm1", "F6 Переимен")},
    {"TForm1", "CompileJavaBtn", "F7 Compile Java"},
    {"TForm1", "CompileJavaBtn.hint", QT_TRANSLATE_NOOP("TForm1", "Компилировать JAVA")},
    {"TForm1", "Delete1", QT_TRANSLATE_NOOP("TForm1", "F8 Удалить")},
    {"TForm1", "PathComp", "Root"},
    {"TForm1", "PathPhone", "\\Root"},
    {"TForm1", "DiskStatus", QT_TRANSLATE_NOOP("TForm1", "Свободно 0МБ из 0МБ")},
    {"TForm1", "StatusComp", "0 KB of 0 KB, Files: 0 of 0"},
    // The local pane names the kind of its folder rows itself (Qt has no Russian words for them).
    {"TForm1", "Source.folderType", QT_TRANSLATE_NOOP("TForm1", "Папка")},
    {"TForm1", "Source.driveType", QT_TRANSLATE_NOOP("TForm1", "Диск")},
    {"TForm1", "PhoneDiskStatus", QT_TRANSLATE_NOOP("TForm1", "Свободно 0КБ из 0КБ")},
    {"TForm1", "StatusPhone", "0 KB of 0 KB, Files: 0 of 0"},
    {"TForm1", "FavoritesBtn", "F"},

    // Progress dialog.
    {"TProcessForm", "", QT_TRANSLATE_NOOP("TProcessForm", "Передача данных...")},
    {"TProcessForm", "AbortBtn", QT_TRANSLATE_NOOP("TProcessForm", "Прервать")},

    // The file-exists question.
    {"TFileExistForm", "", QT_TRANSLATE_NOOP("TFileExistForm", "Файл существует")},
    {"TFileExistForm", "OndNameCapt", QT_TRANSLATE_NOOP("TFileExistForm", "Старое имя:")},
    {"TFileExistForm", "NewNameCapt", QT_TRANSLATE_NOOP("TFileExistForm", "Новое имя:")},
    {"TFileExistForm", "FexOKBtn", "OK"},
    {"TFileExistForm", "FexOverwriteBtn", QT_TRANSLATE_NOOP("TFileExistForm", "Перезапиписать")},
    {"TFileExistForm", "FexOverwriteAllBtn", QT_TRANSLATE_NOOP("TFileExistForm", "Перезаписать все")},
    {"TFileExistForm", "FexCancel", QT_TRANSLATE_NOOP("TFileExistForm", "Отмена")},
    {"TFileExistForm", "FexSkipBtn", QT_TRANSLATE_NOOP("TFileExistForm", "Пропустить")},
    {"TFileExistForm", "FexSkipAllBtn", QT_TRANSLATE_NOOP("TFileExistForm", "Пропустить все")},

    // Rename dialog (also the favourites' one-line input box).
    {"TRenameForm", "", QT_TRANSLATE_NOOP("TRenameForm", "Переименовать")},
    {"TRenameForm", "RenOK", "OK"},
    {"TRenameForm", "RenCancel", QT_TRANSLATE_NOOP("TRenameForm", "Отмена")},

    // Settings dialog.
    {"TSettingsForm", "", QT_TRANSLATE_NOOP("TSettingsForm", "Настройки")},
    {"TSettingsForm", "TabSheet1", QT_TRANSLATE_NOOP("TSettingsForm", "Соединение")},
    {"TSettingsForm", "TabSheet2", QT_TRANSLATE_NOOP("TSettingsForm", "Дополнительно")},
    {"TSettingsForm", "Label1", QT_TRANSLATE_NOOP("TSettingsForm", "Выберите ком порт")},
    {"TSettingsForm", "Label3", QT_TRANSLATE_NOOP("TSettingsForm", "Режим:")},
    {"TSettingsForm", "Label2", QT_TRANSLATE_NOOP("TSettingsForm", "Скорость:")},
    {"TSettingsForm", "Label4", QT_TRANSLATE_NOOP("TSettingsForm", "Интерфейс:")},
    {"TSettingsForm", "Label5", "MEL<->MMF"},
    {"TSettingsForm", "Label17", QT_TRANSLATE_NOOP("TSettingsForm", "Задержки")},
    {"TSettingsForm", "Label19", QT_TRANSLATE_NOOP("TSettingsForm", "Скрытые файлы")},
    {"TSettingsForm", "Label9", QT_TRANSLATE_NOOP("TSettingsForm", "Настройки порта:")},
    {"TSettingsForm", "Label10", "EnableDTROnOpen"},
    {"TSettingsForm", "Label11", "HardwareFlow"},
    {"TSettingsForm", "Label12", "SoftwareFlow"},
    {"TSettingsForm", "Label13", "CheckLineStatus"},
    {"TSettingsForm", "Mode.0", "Normal"},
    {"TSettingsForm", "Mode.1", "PRO"},
    {"TSettingsForm", "Mode.2", "PIMS"},
    {"TSettingsForm", "SelSpeed.0", "115200"},
    {"TSettingsForm", "SelSpeed.1", "128000"},
    {"TSettingsForm", "SelSpeed.2", "230400"},
    {"TSettingsForm", "IRDAReqBox.0", QT_TRANSLATE_NOOP("TSettingsForm", "ИК-ПОРТ")},
    {"TSettingsForm", "IRDAReqBox.1", QT_TRANSLATE_NOOP("TSettingsForm", "Кабель")},
    {"TSettingsForm", "MelConvertionBox.0", QT_TRANSLATE_NOOP("TSettingsForm", "Выключено")},
    {"TSettingsForm", "MelConvertionBox.1", QT_TRANSLATE_NOOP("TSettingsForm", "Включено")},
    {"TSettingsForm", "SleepTimeBox.0", QT_TRANSLATE_NOOP("TSettingsForm", "Быстро")},
    {"TSettingsForm", "SleepTimeBox.1", QT_TRANSLATE_NOOP("TSettingsForm", "Средне")},
    {"TSettingsForm", "SleepTimeBox.2", QT_TRANSLATE_NOOP("TSettingsForm", "Медленно")},
    {"TSettingsForm", "HiddenFilesBox.0", QT_TRANSLATE_NOOP("TSettingsForm", "Скрыть")},
    {"TSettingsForm", "HiddenFilesBox.1", QT_TRANSLATE_NOOP("TSettingsForm", "Показать")},
    {"TSettingsForm", "PortSettingsBox.0", QT_TRANSLATE_NOOP("TSettingsForm", "Системные")},
    {"TSettingsForm", "PortSettingsBox.1", QT_TRANSLATE_NOOP("TSettingsForm", "Вручную")},
    {"TSettingsForm", "EnableDTROnOpenBox.0", "Disabled"},
    {"TSettingsForm", "EnableDTROnOpenBox.1", "Enabled"},
    {"TSettingsForm", "HardwareFlowBox.0", "Disabled"},
    {"TSettingsForm", "HardwareFlowBox.1", "NONE_RTSOn"},
    {"TSettingsForm", "HardwareFlowBox.2", "Enabled"},
    {"TSettingsForm", "SoftwareFlowBox.0", "Disable"},
    {"TSettingsForm", "SoftwareFlowBox.1", "Enable"},
    {"TSettingsForm", "CheckLineStatusBox.0", "Disable"},
    {"TSettingsForm", "CheckLineStatusBox.1", "Enable"},
    {"TSettingsForm", "Start", QT_TRANSLATE_NOOP("TSettingsForm", "Старт")},
    {"TSettingsForm", "CancelSetBtn", QT_TRANSLATE_NOOP("TSettingsForm", "Отмена")},

    // Preview window.
    {"TPlayForm", "", QT_TRANSLATE_NOOP("TPlayForm", "Просмотрщик")},
    {"TPlayForm", "PlayList.0", QT_TRANSLATE_NOOP("TPlayForm", "Название")},
    {"TPlayForm", "PlayList.hint", QT_TRANSLATE_NOOP("TPlayForm", "Дважды кликните на файле чтобы просмотреть/прослушать")},
    {"TPlayForm", "PlayStatus", QT_TRANSLATE_NOOP("TPlayForm", "Файл 0/0")},

    // Favourites editor.
    {"TFavoritesForm", "", QT_TRANSLATE_NOOP("TFavoritesForm", "Favorites Настройки")},
    {"TFavoritesForm", "DeleteFavBtn", QT_TRANSLATE_NOOP("TFavoritesForm", "Удалить")},
    {"TFavoritesForm", "RenameFavBtn", QT_TRANSLATE_NOOP("TFavoritesForm", "Переименовать")},

    // About window.
    {"TAboutForm", "", QT_TRANSLATE_NOOP("TAboutForm", "О программе")},
    {"TAboutForm", "Label1", "Q7K3 File Manager v0.53+"},
    {"TAboutForm", "Label2", QT_TRANSLATE_NOOP("TAboutForm", "Автор: Orvik Lanto")},
    {"TAboutForm", "Label3", "Q7K3FM Group"},
    {"TAboutForm", "Label4", "q7k3fm@example.org"},
    {"TAboutForm", "Label5", QT_TRANSLATE_NOOP("TAboutForm", "Домашняя страница Q7K3FileManager")},
    {"TAboutForm", "AboutOkBtn", "OK"},

    // The catalogue itself: never shown; it also keeps the home-page address the About
    // window opens. Until the program has a site of its own, that is its help page,
    // installed beside the program.
    {"TForm11", "", "Messages"},
    {"TForm11", "HomePage", "Q7K3FM.hlp"},
};

using Key = std::pair<std::string, std::string>;
using Table = std::map<Key, std::string, std::less<>>;

const Table& RussianTable() {
    static const Table table = [] {
        Table t;
        for (const Row& row : kRows) t.emplace(Key{row.window, row.control}, row.text);
        return t;
    }();
    return table;
}

// As the catalogue's: a table once made stays, so references handed out stay good.
std::atomic<const Table*> g_current{nullptr};

const Table& Current() {
    const Table* table = g_current.load(std::memory_order_acquire);
    return table ? *table : RussianTable();
}

}  // namespace

const std::string& Caption(std::string_view window, std::string_view control) {
    static const std::string empty;
    const auto& table = Current();
    auto it = table.find(Key{std::string(window), std::string(control)});
    return it == table.end() ? empty : it->second;
}

std::vector<std::pair<std::string, std::string>> CaptionKeys() {
    std::vector<std::pair<std::string, std::string>> keys;
    for (const Row& row : kRows) keys.emplace_back(row.window, row.control);
    return keys;
}

int CaptionItemCount(std::string_view window, std::string_view control) {
    int n = 0;
    while (!Caption(window, std::string(control) + "." + std::to_string(n)).empty()) ++n;
    return n;
}

void TranslateCaptions(bool translated) {
    if (!translated) {
        g_current.store(&RussianTable(), std::memory_order_release);
        return;
    }
    static std::mutex made;
    static std::vector<std::unique_ptr<Table>> tables;
    auto table = std::make_unique<Table>();
    for (const Row& row : kRows)
        table->emplace(Key{row.window, row.control}, Translate(row.window, row.text));
    const std::lock_guard<std::mutex> lock(made);
    tables.push_back(std::move(table));
    g_current.store(tables.back().get(), std::memory_order_release);
}

}  // namespace q7k3
