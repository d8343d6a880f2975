<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AdapterChoiceDialog</name>
    <message>
        <source>%1 is not available in this build</source>
        <translation>%1 недоступен в этой сборке</translation>
    </message>
    <message>
        <source>Slmcp (old)</source>
        <translation>Slmcp (старый)</translation>
    </message>
    <message>
        <source>Slcan (new)</source>
        <translation>Slcan (новый)</translation>
    </message>
    <message>
        <source>J2534 (OpenPort 2.0)</source>
        <translation>J2534 (OpenPort 2.0)</translation>
    </message>
    <message>
        <source>I7565 (USB-COM)</source>
        <translation>I7565 (USB-COM)</translation>
    </message>
    <message>
        <source>Zentrax</source>
        <translation>Zentrax</translation>
    </message>
    <message>
        <source>Replay (demo)</source>
        <translation>Воспроизведение (демо)</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Select port</source>
        <translation>Выбор порта</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>Adapter '%1' is not available in this build</source>
        <translation>Адаптер '%1' недоступен в этой сборке</translation>
    </message>
    <message>
        <source>Scheme files cannot be opened yet: %1</source>
        <translation>Файлы схем пока не открываются: %1</translation>
    </message>
    <message>
        <source>CAN handler transceiver set error</source>
        <translation>Ошибка выбора трансивера CAN</translation>
    </message>
    <message>
        <source>Port %1 is not available</source>
        <translation>Порт %1 недоступен</translation>
    </message>
    <message>
        <source>CAN handler start error</source>
        <translation>Ошибка запуска CAN</translation>
    </message>
    <message>
        <source>Adapter type, skipping the choice dialog: %1.</source>
        <translation>Тип адаптера без диалога выбора: %1.</translation>
    </message>
    <message>
        <source>Adapter port, skipping the port dialog: a listed name, a serial device path, or a candump *.log file to replay.</source>
        <translation>Порт адаптера без диалога выбора: имя из списка, путь к последовательному порту или файл candump *.log для воспроизведения.</translation>
    </message>
    <message>
        <source>Bus bit rate in bit/s (default 250000).</source>
        <translation>Скорость шины в бит/с (по умолчанию 250000).</translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation>Показать эту справку и выйти.</translation>
    </message>
    <message>
        <source>Show the version and exit.</source>
        <translation>Показать версию и выйти.</translation>
    </message>
    <message>
        <source>Tarvik: service and diagnostic tool for the SAE J1939 CAN bus.</source>
        <translation>Tarvik: сервисный и диагностический инструмент для шины CAN SAE J1939.</translation>
    </message>
    <message>
        <source>Scheme file (*.tvsx) to open.</source>
        <translation>Файл схемы (*.tvsx) для открытия.</translation>
    </message>
    <message>
        <source>Unknown adapter '%1' (one of: %2)</source>
        <translation>Неизвестный адаптер '%1' (допустимы: %2)</translation>
    </message>
    <message>
        <source>The port name is empty</source>
        <translation>Имя порта пустое</translation>
    </message>
    <message>
        <source>Invalid bit rate '%1'</source>
        <translation>Неверная скорость '%1'</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Tree Scheme</source>
        <translation>Схема</translation>
    </message>
    <message numerus="yes">
        <source>Net capacity %n messages per second</source>
        <translation><numerusform>Пропускная способность %n сообщение в секунду</numerusform><numerusform>Пропускная способность %n сообщения в секунду</numerusform><numerusform>Пропускная способность %n сообщений в секунду</numerusform></translation>
    </message>
</context>
<context>
    <name>ReplayCanHandler</name>
    <message>
        <source>Demo bus (built in)</source>
        <translation>Демо-шина (встроенная)</translation>
    </message>
    <message>
        <source>Cannot read recording %1: %2</source>
        <translation>Не удаётся прочитать запись %1: %2</translation>
    </message>
    <message>
        <source>Recording %1 holds no frames</source>
        <translation>Запись %1 не содержит кадров</translation>
    </message>
    <message>
        <source>No recording selected</source>
        <translation>Запись не выбрана</translation>
    </message>
</context>
<context>
    <name>TrafficCalculator</name>
    <message numerus="yes">
        <source>%n msg / %1 s</source>
        <translation><numerusform>%n сообщ. / %1 с</numerusform><numerusform>%n сообщ. / %1 с</numerusform><numerusform>%n сообщ. / %1 с</numerusform></translation>
    </message>
</context>
</TS>