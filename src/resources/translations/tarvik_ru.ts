<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AdapterChoiceDialog</name>
    <message>
        <source>%1 is not available in this build</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slmcp (old)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slcan (new)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>J2534 (OpenPort 2.0)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>I7565 (USB-COM)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zentrax</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replay (demo)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Select port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adapter &apos;%1&apos; is not available in this build</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scheme files cannot be opened yet: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CAN handler transceiver set error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port %1 is not available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CAN handler start error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adapter type, skipping the choice dialog: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Adapter port, skipping the port dialog: a listed name, a serial device path, or a candump *.log file to replay.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bus bit rate in bit/s (default 250000).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the version and exit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tarvik: service and diagnostic tool for the SAE J1939 CAN bus.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scheme file (*.tvsx) to open.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown adapter &apos;%1&apos; (one of: %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The port name is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid bit rate &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Tree Scheme</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Net capacity %n messages per second</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ReplayCanHandler</name>
    <message>
        <source>Demo bus (built in)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot read recording %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording %1 holds no frames</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No recording selected</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TrafficCalculator</name>
    <message numerus="yes">
        <source>%n msg / %1 s</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
</TS>
