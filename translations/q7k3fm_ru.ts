<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="ru_RU">
<context>
    <name>Catalogue</name>
    <message numerus="yes">
        <source>%Ln байт</source>
        <comment>452</comment>
        <translation>
            <numerusform>%Ln байт</numerusform>
            <numerusform>%Ln байта</numerusform>
            <numerusform>%Ln байт</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n файлов</source>
        <comment>453</comment>
        <translation>
            <numerusform>%n файл</numerusform>
            <numerusform>%n файла</numerusform>
            <numerusform>%n файлов</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n байт</source>
        <comment>625</comment>
        <translation>
            <numerusform>%n байт</numerusform>
            <numerusform>%n байта</numerusform>
            <numerusform>%n байт</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Удалить с телефона %n файлов?</source>
        <comment>626</comment>
        <translation>
            <numerusform>Удалить с телефона %n файл?</numerusform>
            <numerusform>Удалить с телефона %n файла?</numerusform>
            <numerusform>Удалить с телефона %n файлов?</numerusform>
        </translation>
    </message>
</context>
</TS>
