// The catalogue against a copy of its texts: every number and caption the windows look up
// must give the exact text, spaces and line ends included.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/Messages.h"

namespace q7k3 {
namespace {

struct NumberedText {
    int number;
    const char* text;
};

const NumberedText kMessages[] = {
    {0, "Время ожидания истекло"},
    {1, "Невозможно открыть файл "},
    {2, "Ошибка контрольной суммы"},
    {3, "Ни одного JAR файла не найдено"},
    {4, "Файл не найден"},
    {5, "Память заполнена"},
    {6, "Ошибка"},
    {7, "Ваш телефон не пропатчен или Nand отформатирован\r\nВы хотите продолжить?"},
    {8, "Внимание"},
    {9, "Файл "},
    {10, " слишком большой"},
    {11, "Нет места для мелодии по умолчанию. Пожалуйста удалите одну из них."},
    {12, "Ошибка конвертирования в mel"},
    {13, "Файл мелодии не опознан"},
    {14, "Файл BMP не опознан"},
    {15, "Ширина BMP файла должна быть не больше 128"},
    {16, "Нет места для EMS картинки. Пожалуйста удалите одну из них"},
    {17, "Нет места для EMS мелодии. Пожалуйста удалите одну из них"},
    {18, "Ошибка создания JAD файла"},
    {19, "Диск защищен от записи"},
    {20, "Эта модель телефона не поддерживается"},
    {21, "Телефон не отвечает"},
    {22, "Невозможно открыть порт"},
    {26, "Вы действительно хотите удалить "},
    {27, " файлов?"},
    {28, "Удаление"},
    {29, "Ни одного ком порта не найдено"},
    {30, "Потеряна связь с телефоном"},
    {35, "Кэширование списка файлов"},
    {36, "Инициализация программы"},
    {37, "Копирование файла 1 из "},
    {38, "Копирование файла "},
    {39, " из "},
    {40, "Копирование на телефон "},
    {41, "Удаление "},
    {42, "Удаление файла "},
    {43, "Удаление Thumbs..."},
    {44, "Удаление файла 1 из "},
    {45, "Компилирование Java"},
    {50, "Переименовывание файла "},
    {51, "Копирование файла во временную папку"},
    {52, "Удаление файла"},
    {53, "Копирование файла с новым именем"},
    {54, "Завершение операции"},
    {55, "Обновление папки "},
    {56, "Обновление текущей папки"},
    {57, "Введите краткое наименование"},
    {58, "Переименовать"},
    {59, "Завершение текущей операции"},
    {60, "Чтение "},
    {61, "Просмотр "},
    {62, "Обновление списка файлов"},
    {63, "Анализ списка файлов"},
    {64, "Удаляем suites.utf"},
    {65, "Удаляем suitesName.utf"},
    {66, "Запись suites.utf"},
    {67, "Запись suitesName.utf"},
    {68, "Обновление папки Java"},
    {69, "Передача данных... "},
    {70, "КБ/сек"},
    {71, " КБ из "},
    {72, " KБ,Файлов: "},
    {73, "Свободно "},
    {74, " KB из 13104 KB"},
    {75, " МБ из "},
    {76, " МБ"},
    {77, " "},
    {78,
     "Кэширование файлов было прервано.\r\nСвободное место на телефоне отображается неправильно"},
    {79, "Телефон прислал ответ, который невозможно прочитать"},
    {80, "Невозможно сохранить настройки"},
    {90, "Файл возвращён на телефон под прежним именем "},
    {91, "Файл сохранён в папке "},
    {92, "Невозможно удалить файл "},
    {93, "Недопустимое имя файла "},
    {110, "Последовательные порты"},
    {111, "Почему нет порта?"},
    {112, "открывается"},
    {113, "открывается, но его также держит открытым "},
    {114, "нет прав доступа; порт принадлежит группе "},
    {115, "Добавьте себя в эту группу и войдите в систему заново:"},
    {116, "Дайте доступ к порту (до его переподключения):"},
    {117, "занят программой "},
    {118, "занят другой программой"},
    {119, "занят ModemManager"},
    {120,
     "Чтобы ModemManager не занимал порт, добавьте в файл /etc/udev/rules.d/99-q7k3fm.rules "
     "строку:"},
    {121, "Затем выполните sudo udevadm control --reload-rules и подключите телефон заново."},
    {122, "не открывается: "},
    {123, "Последовательных портов не найдено"},
    {124, "Трасса обмена"},
    {125, "Выключено"},
    {126, "Включено"},
    {127, "Обмен с телефоном записывается в файл "},
    {128, "Закрыть"},
    {140, "Ошибка компиляции Файл "},
    {141, " не найден"},
    {142, "Ошибка компиляции: имя слишком длинное для suites.utf: "},
    {143,
     "Ошибка компиляции: список Java приложений длиннее 4100 байт и не помещается в suites.utf"},
    {144, "\r\nНа телефоне восстановлен прежний suites.utf."},
    {145, "\r\nНа телефоне сейчас нет файла suites.utf."},
    {146, "\r\nНа телефоне записан новый suites.utf."},
    {147, "\r\nНа телефоне сейчас нет файла suitesName.utf."},
    {148, "\r\nЗапустите компиляцию Java ещё раз."},
    {130, "Этот формат мелодии не поддерживается"},
    {131, "Не найден звуковой банк для проигрывания мелодий"},
    {132, "Контрольная сумма мелодии не совпадает"},
    {150, "Резервная копия телефона"},
    {151, "Восстановление из резервной копии"},
    {152, "Проверка резервной копии"},
    {153, "Чтение папки "},
    {154, " КБ"},
    {155, ", осталось "},
    {156, "В папке нет резервной копии: "},
    {157, "Опись резервной копии повреждена: "},
    {158, "Невозможно создать папку "},
    {159, "Память телефона заполнена, восстановление остановлено. Восстановлено файлов: "},
    {160, "Восстановлены: "},
    {161, "Не восстановлены: "},
    {162, "На телефоне нет папки "},
    {163, "Файл резервной копии повреждён: "},
    {164, "Нет на телефоне: "},
    {165, "Изменён на телефоне: "},
    {166, "Нет в резервной копии: "},
    {167, "Не совпадает контрольная сумма: "},
    {168, "Резервная копия совпадает с телефоном"},
    {169, "Скопировано файлов: "},
    {170, "неизвестный параметр "},
    {171, "параметру нужно значение: "},
    {172, "параметр не принимает значения: "},
    {173, "неизвестная команда "},
    {174, "; может быть, "},
    {175, "лишний аргумент "},
    {176, "не хватает аргументов: "},
    {177, "подробнее: q7k3fm-cli help "},
    {178, "недопустимое значение "},
    {179, "локальный файл уже есть (--force заменит его): "},
    {180, "входной файл не того вида, ожидался "},
    {181, "на телефоне уже есть файл (--overwrite заменит его): "},
    {182, "MEL (32 байта названия, затем мелодия MMMD)"},
    {183, "MMF (мелодия, начинается с MMMD)"},
    {184, "ANI (картинка телефона, по 2 байта на точку)"},
    {185, "картинка BMP, JPEG, GIF или PNG"},
    {186, "EMS-картинка"},
    {187, "мелодия iMelody (BEGIN:IMELODY)"},
    {188, "EMS-мелодия"},
    {189, "архив JAR"},
    {190, "вид преобразования не назван и не угадывается по расширениям: "},
    {191, "нет такой папки телефона: "},
    {192, "нет такого локального файла: "},
    {193, "такое имя на телефоне потом не назвать путём: "},
    {194,
     "прервано: запись доводится до конца, и телефон отвергнет недописанный файл (ещё Ctrl+C — "
     "выйти сразу)"},
    {195, "имя подходит к нескольким: "},
    {196, "порт: "},
    {197, "модель: "},
    {198, "несколько файлов кладутся в локальную папку: "},
    {199, "по правилам папок файл преобразуется: назовите локальную папку или дайте --raw"},
    {210, "Резервная копия телефона…"},
    {211, "Восстановить из копии…"},
    {212, "Проверить копию…"},
    {213, "Папка резервной копии"},
    {214, "Что восстановить"},
    {215, "Сверить и содержимое файлов (телефон читается целиком, это дольше)"},
    {216, "Проверка прервана: сверено не всё."},
    {217, ", без изменений: "},
    {218, "Резервная копия прервана. Следующий запуск продолжит её с того же места."},
    {219, "Восстановлено файлов: "},
    {200, "Телефон не подключен: Файл → Подключить"},
    {201, "Подключить"},
    {202, "Отметить"},
    {203, "Снять отметку"},
    {204, "Шаблон имён:"},
    {205, "Открыть"},
    {206, "Открыть программой системы"},
    {220, "Телефон отвечает, но не завершает ответ"},
    {221, "Телефон присылает данные, но не ответ: помехи на линии или неверная скорость порта"},
    {222, "Операция прервана"},
    {223, "На телефоне больше 4096 папок: показаны только первые 4096"},
    {224, "не найден"},
    {245, "Новый файл записан на телефон под временным именем "},
    {246, "На телефоне остался временный файл "},
    {250, "Порт телефона пропал (кабель отсоединён или устройство отключено): "},
    {251, "Телефон занят: дождитесь конца текущей операции"},
    {400, "Найти телефон"},
    {401, "Остановить"},
    {402, "Поиск телефона"},
    {403, "телефон "},
    {404, "модель телефона не поддерживается: "},
    {405, "отвечает как модем, но это не телефон SGH"},
    {406, "не отвечает"},
    {407, "отвечает, но не на команды AT"},
    {408, "проверка остановлена"},
    {409, " бит/с"},
    {410, "Телефон не найден ни на одном порту"},
    {411, "Найдено несколько телефонов: выберите один из них"},
    {412, "Телефон найден: "},
    {413, "Подключён телефон "},
    {414, ". Подключиться к нему?"},
    {415, "Телефон не найден на порту "},
    {416, ". «Найти телефон» проверит все порты."},
    {417, "найдено несколько телефонов; укажите один из них: --port ПУТЬ"},
    {418, "Выбрать"},
    {419, "Проверить все порты и найти, на каком из них телефон"},
};

TEST(Catalogue, EveryNumberedMessageHasItsText) {
    std::set<int> used;
    for (const auto& m : kMessages) {
        EXPECT_EQ(Msg(m.number), m.text) << "message " << m.number;
        used.insert(m.number);
    }
    // Every number the program does not use keeps its place, empty.
    for (int n = 0; n < MessageCount(); ++n)
        if (!used.count(n)) EXPECT_EQ(Msg(n), "") << "message " << n;
    EXPECT_EQ(MessageCount(), 420);
}

TEST(Catalogue, FragmentsKeepTheirExactBytes) {
    EXPECT_EQ(Msg(77), " ");
    EXPECT_EQ(Msg(6), "Ошибка");
    // Message 72 starts its unit with a Latin K followed by a Cyrillic Be.
    EXPECT_EQ(Msg(72).substr(0, 3), " K\xD0");
    EXPECT_EQ(Msg(71).substr(0, 2), " \xD0");  // Cyrillic Ka
    EXPECT_NE(Msg(7).find("\r\n"), std::string::npos);
    EXPECT_NE(Msg(78).find("\r\n"), std::string::npos);
    EXPECT_EQ(Msg(9).back(), ' ');
    EXPECT_EQ(Msg(10).front(), ' ');
}

struct CaptionRow {
    const char* window;
    const char* control;
    const char* text;
};

const CaptionRow kCaptions[] = {
    {"TForm1", "", "Q7K3FileManager v0.53+"},
    {"TForm1", "FileMenu", "Файл"},
    {"TForm1", "Settings1", "Настройки"},
    {"TForm1", "Exit1", "Выход"},
    {"TForm1", "Help1", "Помощь"},
    {"TForm1", "Help2", "Помощь"},
    {"TForm1", "About1", "О программе"},
    {"TForm1", "About1.hint", "Информация о программе"},
    {"TForm1", "AddCurrentDir1", "Добавить текущую папку"},
    {"TForm1", "Setup1", "Настроить"},
    {"TForm1", "ListPhone.0", "Имя"},
    {"TForm1", "ListPhone.1", "Размер"},
    {"TForm1", "ViewBtn", "F3 Просмотр"},
    {"TForm1", "RfreshBtn", "F4 Обновить"},
    {"TForm1", "CopyBtn", "F5 Копия"},
    {"TForm1", "Rename", "F6 Переимен"},
    {"TForm1", "CompileJavaBtn", "F7 Compile Java"},
    {"TForm1", "CompileJavaBtn.hint", "Компилировать JAVA"},
    {"TForm1", "Delete1", "F8 Удалить"},
    {"TForm1", "PathComp", "Root"},
    {"TForm1", "PathPhone", "\\Root"},
    {"TForm1", "DiskStatus", "Свободно 0МБ из 0МБ"},
    {"TForm1", "StatusComp", "0 KB of 0 KB, Files: 0 of 0"},
    {"TForm1", "PhoneDiskStatus", "Свободно 0КБ из 0КБ"},
    {"TForm1", "StatusPhone", "0 KB of 0 KB, Files: 0 of 0"},
    {"TForm1", "FavoritesBtn", "F"},
    {"TProcessForm", "", "Передача данных..."},
    {"TProcessForm", "AbortBtn", "Прервать"},
    {"TFileExistForm", "", "Файл существует"},
    {"TFileExistForm", "OndNameCapt", "Старое имя:"},
    {"TFileExistForm", "NewNameCapt", "Новое имя:"},
    {"TFileExistForm", "FexOKBtn", "OK"},
    {"TFileExistForm", "FexOverwriteBtn", "Перезапиписать"},
    {"TFileExistForm", "FexOverwriteAllBtn", "Перезаписать все"},
    {"TFileExistForm", "FexCancel", "Отмена"},
    {"TRenameForm", "", "Переименовать"},
    {"TRenameForm", "RenOK", "OK"},
    {"TRenameForm", "RenCancel", "Отмена"},
    {"TSettingsForm", "", "Настройки"},
    {"TSettingsForm", "TabSheet1", "Соединение"},
    {"TSettingsForm", "TabSheet2", "Дополнительно"},
    {"TSettingsForm", "Label1", "Выберите ком порт"},
    {"TSettingsForm", "Label3", "Режим:"},
    {"TSettingsForm", "Label2", "Скорость:"},
    {"TSettingsForm", "Label4", "Интерфейс:"},
    {"TSettingsForm", "Label5", "MEL<->MMF"},
    {"TSettingsForm", "Label17", "Задержки"},
    {"TSettingsForm", "Label19", "Скрытые файлы"},
    {"TSettingsForm", "Label9", "Настройки порта:"},
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
    {"TSettingsForm", "IRDAReqBox.0", "ИК-ПОРТ"},
    {"TSettingsForm", "IRDAReqBox.1", "Кабель"},
    {"TSettingsForm", "MelConvertionBox.0", "Выключено"},
    {"TSettingsForm", "MelConvertionBox.1", "Включено"},
    {"TSettingsForm", "SleepTimeBox.0", "Быстро"},
    {"TSettingsForm", "SleepTimeBox.1", "Средне"},
    {"TSettingsForm", "SleepTimeBox.2", "Медленно"},
    {"TSettingsForm", "HiddenFilesBox.0", "Скрыть"},
    {"TSettingsForm", "HiddenFilesBox.1", "Показать"},
    {"TSettingsForm", "PortSettingsBox.0", "Системные"},
    {"TSettingsForm", "PortSettingsBox.1", "Вручную"},
    {"TSettingsForm", "EnableDTROnOpenBox.0", "Disabled"},
    {"TSettingsForm", "EnableDTROnOpenBox.1", "Enabled"},
    {"TSettingsForm", "HardwareFlowBox.0", "Disabled"},
    {"TSettingsForm", "HardwareFlowBox.1", "NONE_RTSOn"},
    {"TSettingsForm", "HardwareFlowBox.2", "Enabled"},
    {"TSettingsForm", "SoftwareFlowBox.0", "Disable"},
    {"TSettingsForm", "SoftwareFlowBox.1", "Enable"},
    {"TSettingsForm", "CheckLineStatusBox.0", "Disable"},
    {"TSettingsForm", "CheckLineStatusBox.1", "Enable"},
    {"TSettingsForm", "Start", "Старт"},
    {"TSettingsForm", "CancelSetBtn", "Отмена"},
    {"TPlayForm", "", "Просмотрщик"},
    {"TPlayForm", "PlayList.0", "Название"},
    {"TPlayForm", "PlayList.hint", "Дважды кликните на файле чтобы просмотреть/прослушать"},
    {"TPlayForm", "PlayStatus", "Файл 0/0"},
    {"TFavoritesForm", "", "Favorites Настройки"},
    {"TFavoritesForm", "DeleteFavBtn", "Удалить"},
    {"TFavoritesForm", "RenameFavBtn", "Переименовать"},
    {"TAboutForm", "", "О программе"},
    {"TAboutForm", "Label1", "Q7K3 File Manager v0.53+"},
    {"TAboutForm", "Label2", "Автор: Orvik Lanto"},
    {"TAboutForm", "Label3", "Q7K3FM Group"},
    {"TAboutForm", "Label4", "q7k3fm@example.org"},
    {"TAboutForm", "Label5", "Домашняя страница Q7K3FileManager"},
    {"TAboutForm", "AboutOkBtn", "OK"},
    {"TForm11", "", "Messages"},
    {"TForm11", "HomePage", "Q7K3FM.hlp"},
};

TEST(Catalogue, EveryWindowFindsItsCaptions) {
    for (const auto& c : kCaptions)
        EXPECT_EQ(Caption(c.window, c.control), c.text) << c.window << " / " << c.control;
    EXPECT_EQ(Caption("TForm1", "NoSuchControl"), "");
    EXPECT_EQ(Caption("TNoSuchForm", ""), "");
}

TEST(Catalogue, DropDownsAndColumnsCountTheirItems) {
    EXPECT_EQ(CaptionItemCount("TSettingsForm", "Mode"), 3);
    EXPECT_EQ(CaptionItemCount("TSettingsForm", "SelSpeed"), 3);
    EXPECT_EQ(CaptionItemCount("TSettingsForm", "IRDAReqBox"), 2);
    EXPECT_EQ(CaptionItemCount("TSettingsForm", "HardwareFlowBox"), 3);
    EXPECT_EQ(CaptionItemCount("TSettingsForm", "SoftwareFlowBox"), 2);
    EXPECT_EQ(CaptionItemCount("TSettingsForm", "SelCom"), 0);
    EXPECT_EQ(CaptionItemCount("TForm1", "ListPhone"), 2);
    EXPECT_EQ(CaptionItemCount("TPlayForm", "PlayList"), 1);
}

}  // namespace
}  // namespace q7k3
