<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AbstractDisplayableItem</name>
    <message>
        <source>no data yet</source>
        <translation>данных ещё нет</translation>
    </message>
</context>
<context>
    <name>AbstractNamedVariable</name>
    <message>
        <source>no value</source>
        <translation>нет значения</translation>
    </message>
</context>
<context>
    <name>AbstractSchemeTreeItem</name>
    <message>
        <source>Declared period: %1</source>
        <translation>Заявленный период: %1</translation>
    </message>
    <message>
        <source>No period: not checked for time-outs, not sent periodically</source>
        <translation>Без периода: тайм-ауты не проверяются, периодически не передаётся</translation>
    </message>
    <message>
        <source>Measured period: %1 ms</source>
        <translation>Измеренный период: %1 мс</translation>
    </message>
    <message>
        <source>present</source>
        <translation>присутствует</translation>
    </message>
    <message>
        <source>absent</source>
        <translation>отсутствует</translation>
    </message>
    <message>
        <source>may fall silent</source>
        <translation>может замолкать</translation>
    </message>
    <message>
        <source>on request or on a change</source>
        <translation>по запросу или при изменении</translation>
    </message>
    <message>
        <source>every %1 ms ± %2 %</source>
        <translation>каждые %1 мс ± %2 %</translation>
    </message>
    <message>
        <source>every %1 ms</source>
        <translation>каждые %1 мс</translation>
    </message>
    <message>
        <source>period ± %1 %</source>
        <translation>период ± %1 %</translation>
    </message>
    <message>
        <source>NAME %1</source>
        <translation>NAME %1</translation>
    </message>
    <message>
        <source>software %1</source>
        <translation>ПО %1</translation>
    </message>
    <message>
        <source>Expected: %1</source>
        <translation>Ожидается: %1</translation>
    </message>
    <message>
        <source>value ranges: %1</source>
        <translation>диапазонов значений: %1</translation>
    </message>
    <message>
        <source>allowed codes: %1</source>
        <translation>допустимых кодов: %1</translation>
    </message>
    <message>
        <source>other groups: %1</source>
        <translation>прочих групп: %1</translation>
    </message>
</context>
<context>
    <name>AcknowledgementFunction</name>
    <message>
        <source>ACK</source>
        <translation>ACK</translation>
    </message>
    <message>
        <source>NACK</source>
        <translation>NACK</translation>
    </message>
    <message>
        <source>Access Denied</source>
        <translation>Доступ запрещён</translation>
    </message>
    <message>
        <source>Cannot Respond</source>
        <translation>Не может ответить</translation>
    </message>
    <message>
        <source>Acknowledgement</source>
        <translation>Подтверждение</translation>
    </message>
    <message>
        <source>Control</source>
        <translation>Управляющий байт</translation>
    </message>
    <message>
        <source>Group Function</source>
        <translation>Групповая функция</translation>
    </message>
    <message>
        <source>Address Acknowledged</source>
        <translation>Подтверждённый адрес</translation>
    </message>
    <message>
        <source>PGN Acknowledged</source>
        <translation>Подтверждённая PGN</translation>
    </message>
    <message>
        <source>Control %1</source>
        <translation>Управляющий байт %1</translation>
    </message>
</context>
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
    <message>
        <source>CAN bus (SocketCAN, PEAK, virtual…)</source>
        <translation>Шина CAN (SocketCAN, PEAK, виртуальная…)</translation>
    </message>
    <message>
        <source>No Qt CAN bus plugins are installed</source>
        <translation>Модули шины CAN для Qt не установлены</translation>
    </message>
    <message>
        <source>Choose the CAN adapter</source>
        <translation>Выбор адаптера CAN</translation>
    </message>
    <message>
        <source>Older USB-CAN adapters, through the vendor&apos;s library slmcp.dll</source>
        <translation>Старые адаптеры USB-CAN, через библиотеку производителя slmcp.dll</translation>
    </message>
    <message>
        <source>Newer USB-CAN adapters, through the vendor&apos;s library slcan.dll</source>
        <translation>Новые адаптеры USB-CAN, через библиотеку производителя slcan.dll</translation>
    </message>
    <message>
        <source>SAE J2534 pass-thru adapters, through the vendor&apos;s library</source>
        <translation>Адаптеры SAE J2534 pass-thru, через библиотеку производителя</translation>
    </message>
    <message>
        <source>ICP DAS I-7565 USB-CAN converter (serial port)</source>
        <translation>Преобразователь USB-CAN ICP DAS I-7565 (последовательный порт)</translation>
    </message>
    <message>
        <source>Zentrax — the maker&apos;s USB-CAN adapter (serial port)</source>
        <translation>Zentrax — фирменный адаптер USB-CAN (последовательный порт)</translation>
    </message>
    <message>
        <source>Demo bus — a recorded machine with simulated units, no hardware needed</source>
        <translation>Демо-шина — записанная машина с имитируемыми блоками, оборудование не нужно</translation>
    </message>
    <message>
        <source>Adapters Qt reaches: SocketCAN, PEAK, virtual CAN and others</source>
        <translation>Адаптеры, доступные через Qt: SocketCAN, PEAK, виртуальный CAN и другие</translation>
    </message>
    <message>
        <source>RP1210 (heavy-duty adapters)</source>
        <translation>RP1210 (адаптеры грузовой техники)</translation>
    </message>
    <message>
        <source>Truck service adapters, through the vendor&apos;s library that RP1210.INI names</source>
        <translation>Сервисные адаптеры грузовой техники, через библиотеку производителя, указанную в RP1210.INI</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Запись</translation>
    </message>
</context>
<context>
    <name>AddressClaimFunction</name>
    <message>
        <source>Address Claimed</source>
        <translation>Заявка адреса</translation>
    </message>
    <message>
        <source>Identity number</source>
        <translation>Идентификационный номер</translation>
    </message>
    <message>
        <source>Manufacturer code</source>
        <translation>Код изготовителя</translation>
    </message>
    <message>
        <source>ECU instance</source>
        <translation>Экземпляр ЭБУ</translation>
    </message>
    <message>
        <source>Function instance</source>
        <translation>Экземпляр функции</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>Функция</translation>
    </message>
    <message>
        <source>Reserved</source>
        <translation>Резерв</translation>
    </message>
    <message>
        <source>Vehicle system</source>
        <translation>Система машины</translation>
    </message>
    <message>
        <source>Vehicle system instance</source>
        <translation>Экземпляр системы машины</translation>
    </message>
    <message>
        <source>Industry group</source>
        <translation>Отраслевая группа</translation>
    </message>
    <message>
        <source>Arbitrary address capable</source>
        <translation>Может сменить адрес</translation>
    </message>
    <message>
        <source>Manufacturer %1, function %2 (0x%3)</source>
        <translation>Изготовитель %1, функция %2 (0x%3)</translation>
    </message>
</context>
<context>
    <name>BJMSchemeTreeItem</name>
    <message>
        <source>Joystick</source>
        <translation>Джойстик</translation>
    </message>
    <message>
        <source>Buttons</source>
        <translation>Кнопки</translation>
    </message>
</context>
<context>
    <name>BasicJoystickMessageFunction</name>
    <message>
        <source>BJM%1</source>
        <translation>BJM%1</translation>
    </message>
</context>
<context>
    <name>BroadcastActions</name>
    <message>
        <source>Suspend broadcasts (DM13)…</source>
        <translation>Приостановить рассылку (DM13)…</translation>
    </message>
    <message>
        <source>Resume broadcasts</source>
        <translation>Возобновить рассылку</translation>
    </message>
    <message>
        <source>Broadcasts suspended (DM13)</source>
        <translation>Рассылка приостановлена (DM13)</translation>
    </message>
    <message>
        <source>No bus connection: nothing is sent</source>
        <translation>Нет подключения к шине: ничего не отправлено</translation>
    </message>
    <message>
        <source>Suspend broadcasts</source>
        <translation>Приостановка рассылки</translation>
    </message>
    <message>
        <source>Whose broadcasts are to stop, and on which networks? They stay stopped until you resume them.</source>
        <translation>Чью рассылку остановить и в каких сетях? Она остаётся остановленной, пока вы её не возобновите.</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Блоки</translation>
    </message>
    <message>
        <source>Networks</source>
        <translation>Сети</translation>
    </message>
    <message>
        <source>All units</source>
        <translation>Все блоки</translation>
    </message>
    <message>
        <source>J1939 network #1</source>
        <translation>Сеть J1939 №1</translation>
    </message>
    <message>
        <source>All networks</source>
        <translation>Все сети</translation>
    </message>
    <message>
        <source>all units</source>
        <translation>всех блоков</translation>
    </message>
    <message>
        <source>all networks</source>
        <translation>всех сетях</translation>
    </message>
    <message>
        <source>Stop the broadcasts of %1 on %2?

They stay stopped while the window holds them, until you resume them, close the window or the adapter goes away.</source>
        <translation>Остановить рассылку %1 в %2?

Она остаётся остановленной, пока окно её удерживает: до возобновления, закрытия окна или отключения адаптера.</translation>
    </message>
    <message>
        <source>Nothing suspended</source>
        <translation>Ничего не приостановлено</translation>
    </message>
    <message>
        <source>Only %1</source>
        <translation>Только %1</translation>
    </message>
</context>
<context>
    <name>BroadcastSuspension</name>
    <message>
        <source>No bus connection: broadcasts not suspended</source>
        <translation>Нет подключения к шине: рассылка не приостановлена</translation>
    </message>
    <message>
        <source>Broadcasts suspended (DM13)</source>
        <translation>Рассылка приостановлена (DM13)</translation>
    </message>
    <message>
        <source>Broadcasts no longer held: no bus connection</source>
        <translation>Рассылка больше не удерживается: нет подключения к шине</translation>
    </message>
    <message>
        <source>Broadcasts resumed (DM13)</source>
        <translation>Рассылка возобновлена (DM13)</translation>
    </message>
    <message>
        <source>No bus connection: the units resume by themselves within 6 s</source>
        <translation>Нет подключения к шине: блоки возобновят рассылку сами в течение 6 с</translation>
    </message>
    <message>
        <source>The adapter is gone: the units resume their broadcasts by themselves within 6 s</source>
        <translation>Адаптер отключён: блоки возобновят рассылку сами в течение 6 с</translation>
    </message>
</context>
<context>
    <name>BusCheckActions</name>
    <message>
        <source>Learn from the last minutes…</source>
        <translation>Изучить последние минуты…</translation>
    </message>
    <message>
        <source>Check the bus</source>
        <translation>Проверять шину</translation>
    </message>
    <message>
        <source>Save check report…</source>
        <translation>Сохранить отчёт проверки…</translation>
    </message>
    <message>
        <source>The scheme learns the healthy bus from the last minutes of traffic and the check starts</source>
        <translation>Схема изучает исправную шину по трафику последних минут, после чего начинается проверка</translation>
    </message>
    <message>
        <source>Checks the bus against what the scheme expects and shows every deviation on the timeline of the Bus check dock</source>
        <translation>Сверяет шину с ожиданиями схемы и показывает каждое отклонение на временной шкале панели «Проверка шины»</translation>
    </message>
    <message>
        <source>Saves the check&apos;s deviations as JSON or as JUnit XML (.xml)</source>
        <translation>Сохраняет отклонения проверки в JSON или в JUnit XML (.xml)</translation>
    </message>
    <message>
        <source>Bus check</source>
        <translation>Проверка шины</translation>
    </message>
    <message>
        <source>Nothing to learn from: no traffic came since the bus opened</source>
        <translation>Изучать нечего: с открытия шины трафика не было</translation>
    </message>
    <message>
        <source>Save check report</source>
        <translation>Сохранить отчёт проверки</translation>
    </message>
    <message>
        <source>JSON report (*.json);;JUnit XML report (*.xml)</source>
        <translation>Отчёт JSON (*.json);;Отчёт JUnit XML (*.xml)</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>Check report saved to %1</source>
        <translation>Отчёт проверки сохранён в %1</translation>
    </message>
    <message numerus="yes">
        <source>%n item(s) learned from the last %1 min</source>
        <translation>
            <numerusform>%n элемент изучен за последние %1 мин</numerusform>
            <numerusform>%n элемента изучено за последние %1 мин</numerusform>
            <numerusform>%n элементов изучено за последние %1 мин</numerusform>
        </translation>
    </message>
    <message>
        <source>not in the scheme: %1</source>
        <translation>нет в схеме: %1</translation>
    </message>
    <message>
        <source>The bus check watches %1 now; the running check stopped and learning starts over</source>
        <translation>Проверка шины следит теперь за %1; идущая проверка остановлена, изучение начинается заново</translation>
    </message>
    <message>
        <source>The bus check watches %1 now; learning starts over</source>
        <translation>Проверка шины следит теперь за %1; изучение начинается заново</translation>
    </message>
    <message>
        <source>Learning from the last %1 min…</source>
        <translation>Обучение по последним %1 мин…</translation>
    </message>
    <message>
        <source>Learning cancelled; the expectations are as they were</source>
        <translation>Обучение отменено; ожидания остались прежними</translation>
    </message>
</context>
<context>
    <name>BusCheckDock</name>
    <message>
        <source>Bus check</source>
        <translation>Проверка шины</translation>
    </message>
    <message>
        <source>Follow the check</source>
        <translation>Следовать за проверкой</translation>
    </message>
    <message>
        <source>The time axis shows the whole check up to now; the mouse wheel over the timeline zooms</source>
        <translation>Ось времени показывает всю проверку до текущего момента; колесо мыши над шкалой меняет масштаб</translation>
    </message>
    <message>
        <source>Click a unit&apos;s lane to show or hide its functions</source>
        <translation>Щелчок по дорожке блока показывает или скрывает его функции</translation>
    </message>
    <message>
        <source>Choose a deviation to see what happened</source>
        <translation>Выберите отклонение, чтобы увидеть, что произошло</translation>
    </message>
    <message>
        <source>Start: %1 s, end: %2 s%3</source>
        <translation>Начало: %1 с, конец: %2 с%3</translation>
    </message>
    <message>
        <source> (still going on)</source>
        <translation> (продолжается)</translation>
    </message>
    <message>
        <source>Rule: %1</source>
        <translation>Правило: %1</translation>
    </message>
    <message>
        <source>Observed: %1</source>
        <translation>Наблюдалось: %1</translation>
    </message>
    <message>
        <source>Expected: %1</source>
        <translation>Ожидалось: %1</translation>
    </message>
    <message>
        <source>No check yet: Bus check ▸ Check the bus, or learn first.</source>
        <translation>Проверки ещё нет: Проверка шины ▸ Проверять шину, или сначала изучите шину.</translation>
    </message>
    <message numerus="yes">
        <source>Checking for %1 s: %n deviation(s)</source>
        <translation>
            <numerusform>Проверка идёт %1 с: %n отклонение</numerusform>
            <numerusform>Проверка идёт %1 с: %n отклонения</numerusform>
            <numerusform>Проверка идёт %1 с: %n отклонений</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Check ended after %1 s: %n deviation(s)</source>
        <translation>
            <numerusform>Проверка завершена через %1 с: %n отклонение</numerusform>
            <numerusform>Проверка завершена через %1 с: %n отклонения</numerusform>
            <numerusform>Проверка завершена через %1 с: %n отклонений</numerusform>
        </translation>
    </message>
    <message>
        <source>The bus the check learns and checks; choosing another stops the check</source>
        <translation>Шина, которую проверка изучает и проверяет; выбор другой останавливает проверку</translation>
    </message>
    <message>
        <source>Bus:</source>
        <translation>Шина:</translation>
    </message>
    <message>
        <source>Bus %1: %2</source>
        <translation>Шина %1: %2</translation>
    </message>
</context>
<context>
    <name>BusChecker</name>
    <message>
        <source>Bus</source>
        <translation>Шина</translation>
    </message>
    <message>
        <source>expected absent</source>
        <translation>ожидается отсутствие</translation>
    </message>
    <message>
        <source>mean period %1 over %2 frames</source>
        <translation>средний период %1 по %2 кадрам</translation>
    </message>
    <message>
        <source>%1 ms ± %2 %</source>
        <translation>%1 мс ± %2 %</translation>
    </message>
    <message>
        <source>mean period within the tolerance</source>
        <translation>средний период в пределах допуска</translation>
    </message>
    <message>
        <source>no frame for %1</source>
        <translation>нет кадров %1</translation>
    </message>
    <message>
        <source>every %1 ms</source>
        <translation>каждые %1 мс</translation>
    </message>
    <message>
        <source>gap above %1 (two periods)</source>
        <translation>перерыв больше %1 (два периода)</translation>
    </message>
    <message>
        <source>no frame yet</source>
        <translation>кадров ещё не было</translation>
    </message>
    <message>
        <source>gap above %1 (five periods)</source>
        <translation>перерыв больше %1 (пять периодов)</translation>
    </message>
    <message>
        <source>a value</source>
        <translation>значение</translation>
    </message>
    <message>
        <source>value within its range</source>
        <translation>значение в своём диапазоне</translation>
    </message>
    <message>
        <source>value available</source>
        <translation>значение доступно</translation>
    </message>
    <message>
        <source>PGN %1</source>
        <translation>PGN %1</translation>
    </message>
    <message>
        <source>only the unit&apos;s functions</source>
        <translation>только функции блока</translation>
    </message>
    <message>
        <source>Unit %1</source>
        <translation>Блок %1</translation>
    </message>
    <message>
        <source>first frame PGN %1</source>
        <translation>первый кадр PGN %1</translation>
    </message>
    <message>
        <source>only the units of the scheme</source>
        <translation>только блоки схемы</translation>
    </message>
    <message>
        <source>address %1</source>
        <translation>адрес %1</translation>
    </message>
    <message>
        <source>the unit (its NAME) at its address</source>
        <translation>блок (его NAME) на своём адресе</translation>
    </message>
    <message>
        <source>NAME %1</source>
        <translation>NAME %1</translation>
    </message>
    <message>
        <source>the unit&apos;s NAME</source>
        <translation>NAME блока</translation>
    </message>
    <message>
        <source>the unit&apos;s software identification</source>
        <translation>идентификация ПО блока</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2, %3 occurrences</source>
        <translation>SPN %1 FMI %2, появлений: %3</translation>
    </message>
    <message>
        <source>no active code but those a healthy unit shows</source>
        <translation>нет активных кодов, кроме тех, что есть у исправного блока</translation>
    </message>
    <message>
        <source>transport sessions complete</source>
        <translation>транспортные сеансы завершаются</translation>
    </message>
    <message>
        <source>%1 % at %2 bit/s</source>
        <translation>%1 % при %2 бит/с</translation>
    </message>
    <message>
        <source>at most %1 %</source>
        <translation>не более %1 %</translation>
    </message>
    <message>
        <source>bus load of a second</source>
        <translation>загрузка шины за секунду</translation>
    </message>
    <message>
        <source>the unit is on the bus</source>
        <translation>блок есть на шине</translation>
    </message>
    <message>
        <source>no frame</source>
        <translation>нет кадров</translation>
    </message>
    <message>
        <source>The bus matches the expected scheme.</source>
        <translation>Шина соответствует ожидаемой схеме.</translation>
    </message>
    <message numerus="yes">
        <source>%n deviation(s) from the expected scheme.</source>
        <translation>
            <numerusform>%n отклонение от ожидаемой схемы.</numerusform>
            <numerusform>%n отклонения от ожидаемой схемы.</numerusform>
            <numerusform>%n отклонений от ожидаемой схемы.</numerusform>
        </translation>
    </message>
    <message>
        <source>Bus check of %1</source>
        <translation>Проверка шины: %1</translation>
    </message>
    <message>
        <source>unit</source>
        <translation>блок</translation>
    </message>
    <message numerus="yes">
        <source>%n deviation(s)</source>
        <translation>
            <numerusform>%n отклонение</numerusform>
            <numerusform>%n отклонения</numerusform>
            <numerusform>%n отклонений</numerusform>
        </translation>
    </message>
    <message>
        <source>no frame from the unit for %1</source>
        <translation>нет кадров от блока %1</translation>
    </message>
    <message>
        <source>silent for more than %1 s</source>
        <translation>молчит дольше %1 с</translation>
    </message>
    <message>
        <source>frames stopped</source>
        <translation>кадры прекратились</translation>
    </message>
    <message>
        <source>no error indicator, judged after %1 s</source>
        <translation>нет признака ошибки, оценка через %1 с</translation>
    </message>
    <message>
        <source>, judged after %1 s</source>
        <translation>, оценка через %1 с</translation>
    </message>
    <message>
        <source>a value its description allows</source>
        <translation>значение, допустимое описанием</translation>
    </message>
    <message>
        <source>value within its description&apos;s range</source>
        <translation>значение в диапазоне описания</translation>
    </message>
    <message>
        <source>Note: %1</source>
        <translation>Примечание: %1</translation>
    </message>
    <message>
        <source>Bus check of %1 on %2</source>
        <translation>Проверка шины: %1, %2</translation>
    </message>
</context>
<context>
    <name>BusTimelinePlot</name>
    <message>
        <source>Time on the bus, s</source>
        <translation>Время шины, с</translation>
    </message>
</context>
<context>
    <name>ButtonOutputInitTestAction</name>
    <message>
        <source>The unit of this step is no longer in the scheme</source>
        <translation>Устройства этого шага больше нет в схеме</translation>
    </message>
</context>
<context>
    <name>CCAuxIoSchemeTreeItem</name>
    <message>
        <source>Buttons</source>
        <translation>Кнопки</translation>
    </message>
    <message>
        <source>LED</source>
        <translation>Индикаторы</translation>
    </message>
    <message>
        <source>OUT</source>
        <translation>Выходы</translation>
    </message>
    <message>
        <source>AUXIO</source>
        <translation>AUXIO</translation>
    </message>
</context>
<context>
    <name>CabinControllerAuxIoFunction</name>
    <message>
        <source>Auxiliary input/output states</source>
        <translation>Состояние дополнительных входов/выходов</translation>
    </message>
    <message>
        <source>Button %1</source>
        <translation>Кнопка %1</translation>
    </message>
</context>
<context>
    <name>CanDevice</name>
    <message>
        <source>Not decoded</source>
        <translation>Не декодируется</translation>
    </message>
</context>
<context>
    <name>CanDeviceFactory</name>
    <message>
        <source>Unknown device</source>
        <translation>Неизвестное устройство</translation>
    </message>
    <message>
        <source>Stub</source>
        <translation>Заглушка</translation>
    </message>
    <message>
        <source>Unknown SID device</source>
        <translation>Неизвестное устройство SID</translation>
    </message>
    <message>
        <source>Cabin controller</source>
        <translation>Контроллер кабины</translation>
    </message>
    <message>
        <source>Support controller</source>
        <translation>Контроллер опор</translation>
    </message>
    <message>
        <source>Support indication panel</source>
        <translation>Панель индикации опор</translation>
    </message>
    <message>
        <source>External control panel</source>
        <translation>Выносной пульт управления</translation>
    </message>
    <message>
        <source>Lower control panel</source>
        <translation>Нижний пульт управления</translation>
    </message>
    <message>
        <source>Upper control panel</source>
        <translation>Верхний пульт управления</translation>
    </message>
    <message>
        <source>Controller</source>
        <translation>Контроллер</translation>
    </message>
    <message>
        <source>Off-board diagnostic unit</source>
        <translation>Внешний диагностический блок</translation>
    </message>
</context>
<context>
    <name>CanFlashingFunctionV1</name>
    <message>
        <source>The flasher was removed during the run. The unit may wait in its boot loader without a complete program.</source>
        <translation>Прошивальщик удалён во время работы. Блок может ожидать в загрузчике без полной программы.</translation>
    </message>
    <message>
        <source>The flash log was not written: %1</source>
        <translation>Журнал прошивки не записан: %1</translation>
    </message>
    <message>
        <source>Stopped before the unit entered its boot loader.</source>
        <translation>Остановлено до перехода блока в загрузчик.</translation>
    </message>
    <message>
        <source>Boot-load requests cancelled; the unit did not answer.</source>
        <translation>Запросы загрузки отменены; блок не ответил.</translation>
    </message>
    <message>
        <source>Flashing Function</source>
        <translation>Функция прошивки</translation>
    </message>
    <message>
        <source>Target device</source>
        <translation>Целевое устройство</translation>
    </message>
    <message>
        <source>Flasher State</source>
        <translation>Состояние прошивки</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Ход</translation>
    </message>
    <message>
        <source>Transmit Sequence Index</source>
        <translation>Номер передаваемого кадра</translation>
    </message>
    <message>
        <source>Continuous Bootload RRs</source>
        <translation>Повторять запрос загрузчика</translation>
    </message>
    <message>
        <source>Low Latency Mode</source>
        <translation>Режим малой задержки</translation>
    </message>
    <message>
        <source>Retransmit on ACK error</source>
        <translation>Повтор при ошибке подтверждения</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Имя файла</translation>
    </message>
    <message>
        <source>Ack to next delay</source>
        <translation>Пауза после подтверждения</translation>
    </message>
    <message>
        <source>SoftId</source>
        <translation>Версия ПО</translation>
    </message>
    <message>
        <source>EcuId</source>
        <translation>Идентификатор ЭБУ</translation>
    </message>
    <message>
        <source>Program file not found: %1</source>
        <translation>Файл программы не найден: %1</translation>
    </message>
    <message>
        <source>Not a regular file: %1</source>
        <translation>Не обычный файл: %1</translation>
    </message>
    <message>
        <source>Program file is empty</source>
        <translation>Файл программы пуст</translation>
    </message>
    <message>
        <source>Program file is larger than %1 bytes</source>
        <translation>Файл программы больше %1 байт</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <source>The program cannot change during a run</source>
        <translation>Программу нельзя сменить во время прошивки</translation>
    </message>
    <message>
        <source>Waiting Response</source>
        <translation>Ожидание ответа</translation>
    </message>
    <message>
        <source>Waiting Bootload</source>
        <translation>Ожидание загрузчика</translation>
    </message>
    <message>
        <source>Reflashing in progress</source>
        <translation>Идёт прошивка</translation>
    </message>
    <message>
        <source>Reflash Finished</source>
        <translation>Прошивка завершена</translation>
    </message>
    <message>
        <source>Reflash Error</source>
        <translation>Ошибка прошивки</translation>
    </message>
    <message>
        <source>Reflash error at block %1 of %2: %3. The unit waits in its boot loader without a complete program: keep it powered and start again.</source>
        <translation>Ошибка прошивки на блоке %1 из %2: %3. Блок ждёт в загрузчике без полной программы: не отключайте питание и запустите прошивку снова.</translation>
    </message>
    <message>
        <source>Reflash error: %1. The unit did not enter its boot loader.</source>
        <translation>Ошибка прошивки: %1. Блок не перешёл в загрузчик.</translation>
    </message>
    <message>
        <source>A run is in progress; press Stop first</source>
        <translation>Идёт прошивка; сначала нажмите «Стоп»</translation>
    </message>
    <message>
        <source>Invalid target 0x%1</source>
        <translation>Недопустимый адрес 0x%1</translation>
    </message>
    <message>
        <source>No program file loaded</source>
        <translation>Файл программы не выбран</translation>
    </message>
    <message>
        <source>Stopped at block %1 of %2. The unit waits in its boot loader without a complete program: keep it powered and start again.</source>
        <translation>Остановлено на блоке %1 из %2. Блок ждёт в загрузчике без полной программы: не отключайте питание и запустите прошивку снова.</translation>
    </message>
    <message>
        <source>No requests during a run</source>
        <translation>Во время прошивки запросы не отправляются</translation>
    </message>
    <message>
        <source>the unit stays busy</source>
        <translation>блок остаётся занят</translation>
    </message>
    <message>
        <source>the unit refused boot loading (status %1)</source>
        <translation>блок отказал в загрузке (статус %1)</translation>
    </message>
    <message>
        <source>Reflash finished: %1 blocks to 0x%2, %3 retransmissions</source>
        <translation>Прошивка завершена: %1 блоков в 0x%2, повторов: %3</translation>
    </message>
    <message>
        <source>the echo does not match the frame sent</source>
        <translation>эхо не совпадает с отправленным кадром</translation>
    </message>
    <message>
        <source>%1 echoes in a row do not match the frame sent</source>
        <translation>%1 эхо подряд не совпадают с отправленным кадром</translation>
    </message>
    <message>
        <source>no answer to the boot-load request</source>
        <translation>нет ответа на запрос загрузчика</translation>
    </message>
    <message>
        <source>no program data</source>
        <translation>нет данных программы</translation>
    </message>
    <message>
        <source>no echo from the unit</source>
        <translation>нет эха от блока</translation>
    </message>
    <message>
        <source>%1, %2 %</source>
        <translation>%1, %2 %</translation>
    </message>
    <message>
        <source>Target %1</source>
        <translation>Блок %1</translation>
    </message>
    <message>
        <source>Target %1: %2</source>
        <translation>Блок %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>File: %1 (%n byte(s))</source>
        <translation>
            <numerusform>Файл: %1 (%n байт)</numerusform>
            <numerusform>Файл: %1 (%n байта)</numerusform>
            <numerusform>Файл: %1 (%n байт)</numerusform>
        </translation>
    </message>
    <message>
        <source>Result: %1</source>
        <translation>Результат: %1</translation>
    </message>
    <message>
        <source>Flash log line: %1</source>
        <translation>Строка журнала прошивки: %1</translation>
    </message>
    <message>
        <source>Flashing %1: %2</source>
        <translation>Прошивка %1: %2</translation>
    </message>
    <message>
        <source>finished</source>
        <translation>завершена</translation>
    </message>
    <message>
        <source>error</source>
        <translation>ошибка</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>остановлена</translation>
    </message>
    <message>
        <source>flasher removed</source>
        <translation>прошивальщик удалён</translation>
    </message>
</context>
<context>
    <name>CanFlashingFunctionV1SchemeTreeItem</name>
    <message>
        <source>Program file</source>
        <translation>Файл программы</translation>
    </message>
    <message>
        <source>Program data file (*.prg)</source>
        <translation>Файл данных программы (*.prg)</translation>
    </message>
    <message>
        <source>Flashing</source>
        <translation>Прошивка</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Ack to next delay</source>
        <translation>Пауза после подтверждения</translation>
    </message>
    <message>
        <source>Request ECUID</source>
        <translation>Запросить ECUID</translation>
    </message>
    <message>
        <source>Request SOFT</source>
        <translation>Запросить SOFT</translation>
    </message>
    <message>
        <source>Request HOURS</source>
        <translation>Запросить моточасы</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Выбрать…</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Старт</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Stopping now leaves the unit in its boot loader without a complete program. Stop?</source>
        <translation>Остановка оставит блок в загрузчике без полной программы. Остановить?</translation>
    </message>
    <message>
        <source>Continuous Bootload RRs</source>
        <translation>Повторять запрос загрузчика</translation>
    </message>
    <message>
        <source>Block %1 of %2, %3 s elapsed, about %4 s left, %5 retransmissions</source>
        <translation>Блок %1 из %2, прошло %3 с, осталось около %4 с, повторов: %5</translation>
    </message>
    <message>
        <source>The flasher is gone</source>
        <translation>Функция прошивки удалена</translation>
    </message>
    <message>
        <source>No bus connection</source>
        <translation>Нет подключения к шине</translation>
    </message>
    <message>
        <source>A run is in progress; press Stop first</source>
        <translation>Идёт прошивка; сначала нажмите «Стоп»</translation>
    </message>
    <message>
        <source>No program file loaded</source>
        <translation>Файл программы не выбран</translation>
    </message>
    <message>
        <source>Replace the program of unit 0x%1?

ECU: %2
Software: %3

File: %4
Size: %5 bytes, %6 blocks
SHA-256: %7
Estimated time: about %8 s

A transfer that stops half-way leaves the unit without a program.</source>
        <translation>Заменить программу блока 0x%1?

ЭБУ: %2
ПО: %3

Файл: %4
Размер: %5 байт, %6 блоков
SHA-256: %7
Ожидаемое время: около %8 с

Прерванная на полпути передача оставляет блок без программы.</translation>
    </message>
    <message>
        <source>ECU</source>
        <translation>Блок управления</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>Программа</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>неизвестно</translation>
    </message>
    <message>
        <source>none: press Choose…</source>
        <translation>нет: нажмите «Выбрать…»</translation>
    </message>
    <message>
        <source>%1, %2 bytes</source>
        <translation>%1, %2 байт</translation>
    </message>
    <message>
        <source> ms</source>
        <translation> мс</translation>
    </message>
    <message>
        <source>not read yet (Request ECUID reads it)</source>
        <translation>ещё не прочитано (прочитает «Запросить ECUID»)</translation>
    </message>
    <message>
        <source>not read yet (Request SOFT reads it)</source>
        <translation>ещё не прочитано (прочитает «Запросить SOFT»)</translation>
    </message>
</context>
<context>
    <name>CatalogueBar</name>
    <message>
        <source>Catalogue:</source>
        <translation>Каталог:</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Блоки</translation>
    </message>
    <message>
        <source>List the kinds of units that can be added to the scheme</source>
        <translation>Показать виды блоков, которые можно добавить в схему</translation>
    </message>
    <message>
        <source>List what can be added to %1</source>
        <translation>Показать, что можно добавить к %1</translation>
    </message>
</context>
<context>
    <name>ClearingActions</name>
    <message>
        <source>codes not read yet</source>
        <translation>коды ещё не прочитаны</translation>
    </message>
    <message>
        <source>no codes</source>
        <translation>кодов нет</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2 (%3)</source>
        <translation>SPN %1 FMI %2 (%3)</translation>
    </message>
    <message>
        <source>Clear codes…</source>
        <translation>Стереть коды…</translation>
    </message>
    <message>
        <source>  Active codes (DM1): %1
</source>
        <translation>  Активные коды (DM1): %1
</translation>
    </message>
    <message>
        <source>  Previously active codes (DM2): %1
</source>
        <translation>  Ранее активные коды (DM2): %1
</translation>
    </message>
    <message>
        <source>No bus connection: no codes can be cleared</source>
        <translation>Нет подключения к шине: стереть коды нельзя</translation>
    </message>
    <message>
        <source>Clear codes</source>
        <translation>Стирание кодов</translation>
    </message>
    <message>
        <source>Which trouble codes are to be cleared, and where?</source>
        <translation>Какие коды неисправностей стереть и где?</translation>
    </message>
    <message>
        <source>Codes</source>
        <translation>Коды</translation>
    </message>
    <message>
        <source>Units</source>
        <translation>Блоки</translation>
    </message>
    <message>
        <source>Active codes (DM11)</source>
        <translation>Активные коды (DM11)</translation>
    </message>
    <message>
        <source>Previously active codes (DM3)</source>
        <translation>Ранее активные коды (DM3)</translation>
    </message>
    <message>
        <source>Only %1</source>
        <translation>Только %1</translation>
    </message>
    <message>
        <source>All units (global request)</source>
        <translation>Все блоки (общий запрос)</translation>
    </message>
    <message>
        <source>Nothing chosen to clear</source>
        <translation>Ничего не выбрано для стирания</translation>
    </message>
    <message>
        <source>Clear the codes of every unit on the bus?

</source>
        <translation>Стереть коды всех блоков на шине?

</translation>
    </message>
    <message>
        <source>Clear the codes of %1?

</source>
        <translation>Стереть коды блока %1?

</translation>
    </message>
    <message>
        <source>and any other unit that answers the global request.
</source>
        <translation>и любого другого блока, ответившего на общий запрос.
</translation>
    </message>
    <message>
        <source>
Cleared codes and their freeze frames are lost on the unit.</source>
        <translation>
Стёртые коды и их стоп-кадры в блоке теряются.</translation>
    </message>
    <message>
        <source>Clearing cancelled: nothing was sent</source>
        <translation>Стирание отменено: ничего не отправлено</translation>
    </message>
    <message>
        <source>%1 cannot take a clearing function</source>
        <translation>К %1 нельзя добавить функцию стирания кодов</translation>
    </message>
    <message>
        <source>Clearing the codes of all units…</source>
        <translation>Стирание кодов всех блоков…</translation>
    </message>
    <message>
        <source>Clearing the codes of %1…</source>
        <translation>Стирание кодов блока %1…</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>Decode a recording&apos;s parameters into CSV</source>
        <translation>Декодировать параметры записи в CSV</translation>
    </message>
    <message>
        <source>Show every unit&apos;s DM1 lamps and trouble codes</source>
        <translation>Показать лампы DM1 и коды неисправностей каждого блока</translation>
    </message>
    <message>
        <source>Frames, transport sessions and bus load of a recording</source>
        <translation>Кадры, транспортные сеансы и загрузка шины записи</translation>
    </message>
    <message>
        <source>Write the function library as a DBC file</source>
        <translation>Записать библиотеку функций в файл DBC</translation>
    </message>
    <message>
        <source>Usage: tarvik-cli COMMAND [options] [arguments]
Analyses J1939 recordings without the window.

Commands:
</source>
        <translation>Использование: tarvik-cli КОМАНДА [параметры] [аргументы]
Анализирует записи J1939 без окна.

Команды:
</translation>
    </message>
    <message>
        <source>
Options:
  -h, --help     Show this help
  -v, --version  Show the version

&quot;tarvik-cli COMMAND --help&quot; shows a command&apos;s options.
</source>
        <translation>
Параметры:
  -h, --help     Показать эту справку
  -v, --version  Показать версию

&quot;tarvik-cli КОМАНДА --help&quot; показывает параметры команды.
</translation>
    </message>
    <message>
        <source>Unknown command &quot;%1&quot;.</source>
        <translation>Неизвестная команда &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Usage: tarvik-cli %1 [options]</source>
        <translation>Использование: tarvik-cli %1 [параметры]</translation>
    </message>
    <message>
        <source>Try &quot;tarvik-cli %1 --help&quot;.</source>
        <translation>Попробуйте &quot;tarvik-cli %1 --help&quot;.</translation>
    </message>
    <message>
        <source>Show this help</source>
        <translation>Показать эту справку</translation>
    </message>
    <message>
        <source>Record every frame from an adapter to a candump log</source>
        <translation>Записать все кадры адаптера в журнал candump</translation>
    </message>
    <message>
        <source>%1: %2 more lines skipped</source>
        <translation>%1: пропущено ещё строк: %2</translation>
    </message>
    <message>
        <source>The recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng)</source>
        <translation>Запись (candump, ASC, TRC, MF4, BLF, pcap или pcapng)</translation>
    </message>
    <message>
        <source>Decode with the devices of this scheme file instead of those auto-detection makes</source>
        <translation>Декодировать устройствами этого файла схемы вместо созданных автоопределением</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>ФАЙЛ</translation>
    </message>
    <message>
        <source>Sampling period in ms of recording time (default 1000)</source>
        <translation>Период выборки в мс времени записи (по умолчанию 1000)</translation>
    </message>
    <message>
        <source>MS</source>
        <translation>МС</translation>
    </message>
    <message>
        <source>One row per decoded parameter of every message</source>
        <translation>Строка на каждый декодированный параметр каждого сообщения</translation>
    </message>
    <message>
        <source>expected one recording</source>
        <translation>ожидается одна запись</translation>
    </message>
    <message>
        <source>the period must be a positive number of ms, not &quot;%1&quot;</source>
        <translation>период должен быть положительным числом мс, а не &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--events and --period exclude each other</source>
        <translation>--events и --period исключают друг друга</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>%1 lines of the recording were not frames and were skipped</source>
        <translation>%1 строк записи не были кадрами и пропущены</translation>
    </message>
    <message>
        <source>Writes the function library as a DBC file (J1939 extended identifiers, signals with scaling, offset, unit and range).</source>
        <translation>Записывает библиотеку функций в файл DBC (расширенные идентификаторы J1939, сигналы с масштабом, смещением, единицей и диапазоном).</translation>
    </message>
    <message>
        <source>Write to this file instead of standard output</source>
        <translation>Записать в этот файл вместо стандартного вывода</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>лишний аргумент &quot;%1&quot;</translation>
    </message>
    <message>
        <source>The function library is empty or unreadable</source>
        <translation>Библиотека функций пуста или не читается</translation>
    </message>
    <message>
        <source>off</source>
        <translation>выкл</translation>
    </message>
    <message>
        <source>on</source>
        <translation>вкл</translation>
    </message>
    <message>
        <source>error</source>
        <translation>ошибка</translation>
    </message>
    <message>
        <source>n/a</source>
        <translation>н/д</translation>
    </message>
    <message>
        <source>%1  %2 %3</source>
        <translation>%1  %2 %3</translation>
    </message>
    <message>
        <source>No DM1 messages in the recording.
</source>
        <translation>В записи нет сообщений DM1.
</translation>
    </message>
    <message>
        <source>Source %1: %2 DM1 messages from %3 to %4
</source>
        <translation>Источник %1: %2 сообщений DM1 с %3 по %4
</translation>
    </message>
    <message>
        <source>  Lamps at the end: %1
</source>
        <translation>  Лампы в конце: %1
</translation>
    </message>
    <message>
        <source>  No trouble codes
</source>
        <translation>  Кодов неисправностей нет
</translation>
    </message>
    <message>
        <source>  Trouble codes:
</source>
        <translation>  Коды неисправностей:
</translation>
    </message>
    <message>
        <source>  (active at the end)</source>
        <translation>  (активен в конце)</translation>
    </message>
    <message>
        <source>  Changes:
</source>
        <translation>  Изменения:
</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Не удалось прочитать %1: %2</translation>
    </message>
    <message>
        <source>%1 is a directory, not a recording</source>
        <translation>%1 - каталог, а не запись</translation>
    </message>
    <message>
        <source>%1 holds no CAN frames (%2 lines skipped)</source>
        <translation>%1 не содержит кадров CAN (пропущено строк: %2)</translation>
    </message>
    <message>
        <source>TP.CM - Transport Protocol, Connection Management</source>
        <translation>TP.CM - транспортный протокол, управление соединением</translation>
    </message>
    <message>
        <source>TP.DT - Transport Protocol, Data Transfer</source>
        <translation>TP.DT - транспортный протокол, передача данных</translation>
    </message>
    <message>
        <source>Request</source>
        <translation>Запрос</translation>
    </message>
    <message>
        <source>Address Claimed</source>
        <translation>Адрес занят</translation>
    </message>
    <message>
        <source>Frames per source and PGN</source>
        <translation>Кадры по источникам и PGN</translation>
    </message>
    <message>
        <source>SA</source>
        <translation>SA</translation>
    </message>
    <message>
        <source>PGN</source>
        <translation>PGN</translation>
    </message>
    <message>
        <source>Frames</source>
        <translation>Кадры</translation>
    </message>
    <message>
        <source>Rate/s</source>
        <translation>В секунду</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>standard identifier</source>
        <translation>стандартный идентификатор</translation>
    </message>
    <message>
        <source>completed</source>
        <translation>завершён</translation>
    </message>
    <message>
        <source>Transport sessions: %1 completed, %2 not</source>
        <translation>Транспортные сеансы: завершено %1, не завершено %2</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Вид</translation>
    </message>
    <message>
        <source>From</source>
        <translation>От</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Кому</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>Байт</translation>
    </message>
    <message>
        <source>Packets</source>
        <translation>Пакетов</translation>
    </message>
    <message>
        <source>Start s</source>
        <translation>Начало, с</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Итог</translation>
    </message>
    <message>
        <source>Bus load at %1 bit/s, every %2 s (without stuff bits)</source>
        <translation>Загрузка шины при %1 бит/с, каждые %2 с (без битов стаффинга)</translation>
    </message>
    <message>
        <source>From s</source>
        <translation>С, с</translation>
    </message>
    <message>
        <source>Load %</source>
        <translation>Загрузка %</translation>
    </message>
    <message>
        <source>Shows frames and rate per source and PGN, the transport sessions (BAM, RTS/CTS) with their outcome, and the bus load over time.</source>
        <translation>Показывает кадры и частоту по источникам и PGN, транспортные сеансы (BAM, RTS/CTS) с их итогом и загрузку шины во времени.</translation>
    </message>
    <message>
        <source>Bit rate of the bus for the load (default 250000)</source>
        <translation>Скорость шины для расчёта загрузки (по умолчанию 250000)</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Seconds per bus load line (default 1)</source>
        <translation>Секунд на строку загрузки шины (по умолчанию 1)</translation>
    </message>
    <message>
        <source>S</source>
        <translation>С</translation>
    </message>
    <message>
        <source>the bit rate must lie between 1000 and 8000000, not &quot;%1&quot;</source>
        <translation>скорость должна быть от 1000 до 8000000, а не &quot;%1&quot;</translation>
    </message>
    <message>
        <source>the interval must be a positive number of seconds, not &quot;%1&quot;</source>
        <translation>интервал должен быть положительным числом секунд, а не &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 frames over %2 s, %3 lines skipped</source>
        <translation>%1 кадров за %2 с, пропущено строк: %3</translation>
    </message>
    <message>
        <source>already in a connection</source>
        <translation>уже в соединении</translation>
    </message>
    <message>
        <source>resources needed elsewhere</source>
        <translation>ресурсы нужны для другого</translation>
    </message>
    <message>
        <source>time-out</source>
        <translation>тайм-аут</translation>
    </message>
    <message>
        <source>CTS while data transfer in progress</source>
        <translation>CTS во время передачи данных</translation>
    </message>
    <message>
        <source>maximum retransmit request limit reached</source>
        <translation>достигнут предел запросов повтора</translation>
    </message>
    <message>
        <source>unexpected data transfer packet</source>
        <translation>неожиданный пакет данных</translation>
    </message>
    <message>
        <source>bad sequence number</source>
        <translation>неверный порядковый номер</translation>
    </message>
    <message>
        <source>duplicate sequence number</source>
        <translation>повторный порядковый номер</translation>
    </message>
    <message>
        <source>message size above 1785 bytes</source>
        <translation>размер сообщения больше 1785 байт</translation>
    </message>
    <message>
        <source>reason %1</source>
        <translation>причина %1</translation>
    </message>
    <message>
        <source>time-out between packets (T1)</source>
        <translation>тайм-аут между пакетами (T1)</translation>
    </message>
    <message>
        <source>no acknowledgement (T3)</source>
        <translation>нет подтверждения (T3)</translation>
    </message>
    <message>
        <source>held open too long (T4)</source>
        <translation>удерживалось слишком долго (T4)</translation>
    </message>
    <message>
        <source>time-out waiting for data (T1/T2)</source>
        <translation>тайм-аут ожидания данных (T1/T2)</translation>
    </message>
    <message>
        <source>no CTS (T3)</source>
        <translation>нет CTS (T3)</translation>
    </message>
    <message>
        <source>replaced by a new announcement</source>
        <translation>заменён новым объявлением</translation>
    </message>
    <message>
        <source>invalid announcement (%1 bytes in %2 packets)</source>
        <translation>неверное объявление (%1 байт в %2 пакетах)</translation>
    </message>
    <message>
        <source>acknowledged before all data</source>
        <translation>подтверждён до получения всех данных</translation>
    </message>
    <message>
        <source>aborted by %1: %2</source>
        <translation>прерван %1: %2</translation>
    </message>
    <message>
        <source>data while the receiver held the connection</source>
        <translation>данные, пока приёмник удерживал соединение</translation>
    </message>
    <message>
        <source>bad sequence number %1 (expected %2)</source>
        <translation>неверный порядковый номер %1 (ожидался %2)</translation>
    </message>
    <message>
        <source>unfinished at the end of the recording</source>
        <translation>не завершён к концу записи</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2</source>
        <translation>SPN %1 FMI %2</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2 (%3)</source>
        <translation>SPN %1 FMI %2 (%3)</translation>
    </message>
    <message>
        <source>%1  %2 active (OC %3)</source>
        <translation>%1  %2 активен (OC %3)</translation>
    </message>
    <message>
        <source>%1  %2 occurrence count %3</source>
        <translation>%1  %2 счётчик появлений %3</translation>
    </message>
    <message>
        <source>%1  %2 gone</source>
        <translation>%1  %2 исчез</translation>
    </message>
    <message>
        <source>    %1  OC %2  first %3  last %4  in %5 messages%6
</source>
        <translation>    %1  OC %2  первый %3  последний %4  в %5 сообщениях%6
</translation>
    </message>
    <message>
        <source>  Previously active codes (%1 DM2 messages):
</source>
        <translation>  Ранее активные коды (сообщений DM2: %1):
</translation>
    </message>
    <message>
        <source>    none
</source>
        <translation>    нет
</translation>
    </message>
    <message>
        <source>  (listed at the end)</source>
        <translation>  (в списке в конце)</translation>
    </message>
    <message>
        <source>%1  %2 previously active (OC %3)</source>
        <translation>%1  %2 ранее активен (OC %3)</translation>
    </message>
    <message>
        <source>%1  %2 no longer previously active</source>
        <translation>%1  %2 больше не в списке ранее активных</translation>
    </message>
    <message>
        <source>Clear requests:
</source>
        <translation>Запросы стирания кодов:
</translation>
    </message>
    <message>
        <source>  %1  %2 from %3 to %4: %5
</source>
        <translation>  %1  %2 от %3 к %4: %5
</translation>
    </message>
    <message>
        <source>DM11 (clear active codes)</source>
        <translation>DM11 (стереть активные коды)</translation>
    </message>
    <message>
        <source>DM3 (clear previously active codes)</source>
        <translation>DM3 (стереть ранее активные коды)</translation>
    </message>
    <message>
        <source>all</source>
        <translation>всем</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>нет ответа</translation>
    </message>
    <message>
        <source>Shows the DM1 of every source in a recording: lamps, active trouble codes with first and last sighting and occurrence counts, and their changes in time; the previously active codes (DM2); and every request to clear codes (DM11, DM3) with its answers.</source>
        <translation>Показывает DM1 каждого источника записи: лампы, активные коды неисправностей с первым и последним появлением и счётчиками, и их изменения во времени; ранее активные коды (DM2); и каждый запрос стирания кодов (DM11, DM3) с ответами на него.</translation>
    </message>
    <message>
        <source>Show every unit&apos;s identification, calibrations and codes</source>
        <translation>Показать идентификацию, калибровки и коды каждого блока</translation>
    </message>
    <message>
        <source>Lists what every unit (source address) of a recording says about itself: the NAME of its address claim with its fields, ECU identification, software identification, component identification (make, model, serial number, unit number), vehicle identification number (VIN), calibrations with their verification numbers (DM19), and active (DM1) and previously active (DM2) trouble codes with their failure modes in words. Messages count whether they came in one frame, as a broadcast (BAM) or in a connection (RTS/CTS) to any address; the last of each is shown, &quot;not in the recording&quot; where none came.</source>
        <translation>Перечисляет, что каждый блок (адрес источника) записи сообщает о себе: NAME из заявки адреса с его полями, идентификацию блока, идентификацию ПО, идентификацию компонента (изготовитель, модель, серийный номер, номер блока), идентификационный номер машины (VIN), калибровки с их контрольными числами (DM19), а также активные (DM1) и ранее активные (DM2) коды неисправностей с видом отказа словами. Сообщения учитываются, пришли ли они одним кадром, рассылкой (BAM) или по соединению (RTS/CTS) на любой адрес; показывается последнее из каждых, «нет в записи», если их не было.</translation>
    </message>
    <message>
        <source>Start this many seconds after the recording&apos;s first frame</source>
        <translation>Начать через столько секунд после первого кадра записи</translation>
    </message>
    <message>
        <source>SECONDS</source>
        <translation>СЕКУНДЫ</translation>
    </message>
    <message>
        <source>End this many seconds after the recording&apos;s first frame</source>
        <translation>Закончить через столько секунд после первого кадра записи</translation>
    </message>
    <message>
        <source>--%1 must be a number of seconds, not &quot;%2&quot;</source>
        <translation>--%1 должно быть числом секунд, а не &quot;%2&quot;</translation>
    </message>
    <message>
        <source>--to must lie after --from</source>
        <translation>--to должно быть позже --from</translation>
    </message>
    <message>
        <source>%1 holds no frames in the chosen stretch</source>
        <translation>%1 не содержит кадров на выбранном отрезке</translation>
    </message>
    <message>
        <source>Builds the expected scheme from a recording of a healthy machine: every unit and function seen (those of the base scheme and those auto-detection finds), each function&apos;s period (the median gap) with the tolerance of its mean period, the value ranges seen, widened by the margin, whether values were ever not available or an error, each unit&apos;s NAME, software identification and active trouble codes, and which units and functions fell silent for a while. Check other recordings against it with &quot;check&quot;.</source>
        <translation>Строит ожидаемую схему по записи исправной машины: все увиденные блоки и функции (из исходной схемы и найденные автоопределением), период каждой функции (медиана перерывов) с допуском её среднего периода, увиденные диапазоны значений, расширенные на запас, были ли значения недоступны или с ошибкой, NAME, идентификацию ПО и активные коды неисправностей каждого блока, а также какие блоки и функции на время замолкали. Другие записи проверяются по ней командой &quot;check&quot;.</translation>
    </message>
    <message>
        <source>Start from the devices of this scheme file</source>
        <translation>Начать с устройств этого файла схемы</translation>
    </message>
    <message>
        <source>The expected scheme to write</source>
        <translation>Записываемая ожидаемая схема</translation>
    </message>
    <message>
        <source>Widen the value ranges by this share of their span on each side (default 10)</source>
        <translation>Расширить диапазоны значений на эту долю их размаха с каждой стороны (по умолчанию 10)</translation>
    </message>
    <message>
        <source>PERCENT</source>
        <translation>ПРОЦЕНТ</translation>
    </message>
    <message>
        <source>-o FILE is missing</source>
        <translation>не указан -o ФАЙЛ</translation>
    </message>
    <message>
        <source>the margin must be a percentage from 0 to 1000, not &quot;%1&quot;</source>
        <translation>запас должен быть процентом от 0 до 1000, а не &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Learned %1 units from %2 s of %3 into %4</source>
        <translation>Изучено блоков: %1 по %2 с записи %3, схема записана в %4</translation>
    </message>
    <message>
        <source>Plays a recording against an expected scheme (one &quot;learn&quot; made, or any scheme) and lists every deviation with its start and end in seconds from the recording&apos;s first frame: units missing, silent or at another address, functions late or too fast, unexpected units and groups, values out of range or flagged as errors, trouble codes, transport sessions aborted or timed out, and the bus load above its limit. Nothing is sent. Exits with 0 when the bus matches, 1 when it deviates.</source>
        <translation>Проигрывает запись против ожидаемой схемы (построенной командой &quot;learn&quot; или любой другой) и перечисляет каждое отклонение с началом и концом в секундах от первого кадра записи: отсутствующие, замолкшие или сменившие адрес блоки, запаздывающие или слишком частые функции, неожиданные блоки и группы, значения вне диапазона или с признаком ошибки, коды неисправностей, прерванные или просроченные транспортные сеансы и загрузку шины выше предела. Ничего не передаётся. Код выхода 0, если шина соответствует, 1, если есть отклонения.</translation>
    </message>
    <message>
        <source>The expected scheme</source>
        <translation>Ожидаемая схема</translation>
    </message>
    <message>
        <source>Also write the deviations as JSON to this file</source>
        <translation>Также записать отклонения в этот файл в формате JSON</translation>
    </message>
    <message>
        <source>Also write a JUnit XML file: one test case per unit and function</source>
        <translation>Также записать файл JUnit XML: по тесту на каждый блок и функцию</translation>
    </message>
    <message>
        <source>The bus&apos;s bit rate (default 250000)</source>
        <translation>Скорость шины (по умолчанию 250000)</translation>
    </message>
    <message>
        <source>BIT/S</source>
        <translation>БИТ/С</translation>
    </message>
    <message>
        <source>The highest bus load of a second (default 80)</source>
        <translation>Наибольшая загрузка шины за секунду (по умолчанию 80)</translation>
    </message>
    <message>
        <source>--scheme FILE is missing</source>
        <translation>не указан --scheme ФАЙЛ</translation>
    </message>
    <message>
        <source>the bit rate must be a number of bit/s, not &quot;%1&quot;</source>
        <translation>скорость должна быть числом бит/с, а не &quot;%1&quot;</translation>
    </message>
    <message>
        <source>the load limit must be a percentage, not &quot;%1&quot;</source>
        <translation>предел загрузки должен быть процентом, а не &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Learn the expected scheme from a recording of a healthy bus</source>
        <translation>Построить ожидаемую схему по записи исправной шины</translation>
    </message>
    <message>
        <source>Check a recording against an expected scheme</source>
        <translation>Проверить запись по ожидаемой схеме</translation>
    </message>
    <message>
        <source>Cannot write a temporary file: %1</source>
        <translation>Не удалось записать временный файл: %1</translation>
    </message>
    <message>
        <source>Cannot read a temporary file: %1</source>
        <translation>Не удалось прочитать временный файл: %1</translation>
    </message>
    <message>
        <source>Plays a recording through the decoder as fast as it goes and writes the parameter log&apos;s CSV, sampled every period of recording time, or one row per decoded parameter with --events. Several recordings are decoded one output each, into the directory named by -o, with -j of them at once.</source>
        <translation>Прогоняет запись через декодер с максимальной скоростью и пишет CSV журнала параметров с выборкой через каждый период времени записи или, с --events, по строке на каждый расшифрованный параметр. Несколько записей расшифровываются каждая в свой файл в каталоге, заданном -o, по -j одновременно.</translation>
    </message>
    <message>
        <source>Write the CSV to this file instead of standard output; with several recordings, the directory for their CSV files</source>
        <translation>Записать CSV в этот файл вместо стандартного вывода; для нескольких записей — каталог для их файлов CSV</translation>
    </message>
    <message>
        <source>Decode every frame the way the window does, with its supervision (slower; the output is the same)</source>
        <translation>Расшифровывать каждый кадр так, как это делает окно, с его контролем (медленнее; результат тот же)</translation>
    </message>
    <message>
        <source>the jobs must be a number from 1 to %1, not &quot;%2&quot;</source>
        <translation>число заданий должно быть от 1 до %1, а не «%2»</translation>
    </message>
    <message>
        <source>several recordings need -o DIRECTORY for their CSV files</source>
        <translation>для нескольких записей нужен -o КАТАЛОГ для их файлов CSV</translation>
    </message>
    <message>
        <source>%1 and %2 would both be written to %3</source>
        <translation>%1 и %2 были бы записаны в один файл %3</translation>
    </message>
    <message>
        <source>Cannot make the directory %1</source>
        <translation>Не удалось создать каталог %1</translation>
    </message>
    <message>
        <source>%1 of %2 recordings decoded into %3</source>
        <translation>Расшифровано записей: %1 из %2, в %3</translation>
    </message>
    <message>
        <source>Convert a recording to candump, ASC, TRC, BLF, pcapng or pcap</source>
        <translation>Преобразовать запись в candump, ASC, TRC, BLF, pcapng или pcap</translation>
    </message>
    <message>
        <source>Converts a recording (candump, ASC, TRC, MF4, BLF, pcap or pcapng) into another format, chosen by the output&apos;s extension or --format. The recording is streamed: files of any size convert in little memory.</source>
        <translation>Преобразует запись (candump, ASC, TRC, MF4, BLF, pcap или pcapng) в другой формат, выбранный по расширению выходного файла или параметром --format. Запись читается потоком: файлы любого размера преобразуются в малом объёме памяти.</translation>
    </message>
    <message>
        <source>The recording to convert</source>
        <translation>Преобразуемая запись</translation>
    </message>
    <message>
        <source>The file to write</source>
        <translation>Записываемый файл</translation>
    </message>
    <message>
        <source>The output format: %1</source>
        <translation>Формат вывода: %1</translation>
    </message>
    <message>
        <source>FORMAT</source>
        <translation>ФОРМАТ</translation>
    </message>
    <message>
        <source>pcap and pcapng time stamps in nanoseconds</source>
        <translation>Метки времени pcap и pcapng в наносекундах</translation>
    </message>
    <message>
        <source>unknown format &quot;%1&quot;</source>
        <translation>неизвестный формат &quot;%1&quot;</translation>
    </message>
    <message>
        <source>cannot tell the format from the name %1</source>
        <translation>по имени %1 нельзя определить формат</translation>
    </message>
    <message>
        <source>; use --format with one of: %1</source>
        <translation>; укажите --format с одним из: %1</translation>
    </message>
    <message>
        <source>Wrote %1 frames to %2 (%3); %4 records skipped</source>
        <translation>Записано кадров: %1 в %2 (%3); пропущено записей: %4</translation>
    </message>
    <message>
        <source>%1 frames stamped before the first one were written at its time</source>
        <translation>Кадров с меткой времени раньше первого кадра, записанных с его временем: %1</translation>
    </message>
    <message>
        <source>Write the report of a service job as HTML and PDF</source>
        <translation>Составить отчёт о сервисной работе в HTML и PDF</translation>
    </message>
    <message>
        <source>Writes the report of a service job folder: the job&apos;s header, the inventory as found and as left with the differences marked, the trouble codes, fault snapshots, every change made, acceptance tests, bus health and the raw recording&apos;s files. Without -o it writes JOBDIR/report.html and JOBDIR/report.pdf; with -o the file named, HTML or PDF by its extension.</source>
        <translation>Составляет отчёт по папке сервисной работы: заголовок работы, состав шины до и после с отмеченными различиями, коды неисправностей, снимки неисправностей, все сделанные изменения, приёмочные испытания, состояние шины и файлы необработанной записи. Без -o записывает JOBDIR/report.html и JOBDIR/report.pdf; с -o — указанный файл, HTML или PDF по расширению.</translation>
    </message>
    <message>
        <source>The service job folder</source>
        <translation>Папка сервисной работы</translation>
    </message>
    <message>
        <source>The file to write (.html or .pdf)</source>
        <translation>Записываемый файл (.html или .pdf)</translation>
    </message>
    <message>
        <source>The PDF&apos;s page size: a4 (the default) or letter</source>
        <translation>Размер страницы PDF: a4 (по умолчанию) или letter</translation>
    </message>
    <message>
        <source>SIZE</source>
        <translation>РАЗМЕР</translation>
    </message>
    <message>
        <source>expected one job folder</source>
        <translation>ожидается одна папка работы</translation>
    </message>
    <message>
        <source>unknown page size &quot;%1&quot;; use a4 or letter</source>
        <translation>неизвестный размер страницы &quot;%1&quot;; укажите a4 или letter</translation>
    </message>
    <message>
        <source>cannot tell the format from the name %1; use .html or .pdf</source>
        <translation>по имени %1 нельзя определить формат; укажите .html или .pdf</translation>
    </message>
    <message>
        <source>Wrote %1</source>
        <translation>Записан %1</translation>
    </message>
    <message>
        <source>Write the fault snapshots of a recording&apos;s code changes</source>
        <translation>Записать снимки неисправностей для изменений кодов в записи</translation>
    </message>
    <message>
        <source>%1  %2 s  %3: %4 (%5 frames%6)</source>
        <translation>%1  %2 с  %3: %4 (кадров: %5%6)</translation>
    </message>
    <message>
        <source>, incomplete</source>
        <translation>, неполный</translation>
    </message>
    <message>
        <source>Finds every change of a unit&apos;s active trouble codes (DM1) in a recording and writes a fault snapshot of each, as a service job keeps them: the frames from before the change to after it, the unit&apos;s decoded parameters over the same time and a small plot, in DIR/snapshots.</source>
        <translation>Находит в записи каждое изменение активных кодов неисправностей (DM1) блока и записывает снимок каждого, как их хранит сервисное задание: кадры от момента до изменения до момента после него, декодированные параметры блока за то же время и небольшой график, в DIR/snapshots.</translation>
    </message>
    <message>
        <source>The folder to write the snapshots into (required)</source>
        <translation>Папка для снимков (обязательно)</translation>
    </message>
    <message>
        <source>DIR</source>
        <translation>ПАПКА</translation>
    </message>
    <message>
        <source>Seconds kept before each change (default 10)</source>
        <translation>Секунд до каждого изменения (по умолчанию 10)</translation>
    </message>
    <message>
        <source>Seconds kept after each change (default 5)</source>
        <translation>Секунд после каждого изменения (по умолчанию 5)</translation>
    </message>
    <message>
        <source>-o DIR is missing</source>
        <translation>не указан -o ПАПКА</translation>
    </message>
    <message>
        <source>--before and --after must be a number of seconds from 0 to %1</source>
        <translation>--before и --after должны быть числом секунд от 0 до %1</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2 (OC %3)</source>
        <translation>SPN %1 FMI %2 (OC %3)</translation>
    </message>
    <message>
        <source>%1 had active codes from its first DM1: %2</source>
        <translation>У блока %1 активные коды были уже в первом DM1: %2</translation>
    </message>
    <message>
        <source>%1 more changes made no snapshot: the limit is %2</source>
        <translation>Ещё %1 изменений без снимка: предел %2</translation>
    </message>
    <message>
        <source>%1 snapshots written to %2</source>
        <translation>Снимков записано: %1, в %2</translation>
    </message>
    <message>
        <source>a bus is missing</source>
        <translation>не указана шина</translation>
    </message>
    <message>
        <source>bus %1 is out of range (0 to %2)</source>
        <translation>шина %1 вне диапазона (от 0 до %2)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither a bus number nor an interface name</source>
        <translation>«%1» — не номер шины и не имя интерфейса</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not FROM=TO (for example can1=0)</source>
        <translation>«%1» не в виде ОТКУДА=КУДА (например, can1=0)</translation>
    </message>
    <message>
        <source>bus %1 is mapped twice</source>
        <translation>шина %1 переназначена дважды</translation>
    </message>
    <message>
        <source>Keep only this bus: its number (0 for can0 or a logger&apos;s channel 1) or its name (can1, vcan0); may be repeated</source>
        <translation>Оставить только эту шину: её номер (0 для can0 или канала 1 регистратора) или имя (can1, vcan0); можно повторять</translation>
    </message>
    <message>
        <source>BUS</source>
        <translation>ШИНА</translation>
    </message>
    <message>
        <source>Write the frames of bus FROM on bus TO, each a number or a name (can1=0, 1=vcan3); may be repeated</source>
        <translation>Записать кадры шины ОТКУДА на шину КУДА, каждая — номер или имя (can1=0, 1=vcan3); можно повторять</translation>
    </message>
    <message>
        <source>FROM=TO</source>
        <translation>ОТКУДА=КУДА</translation>
    </message>
    <message>
        <source>%1 holds no frames on bus %2</source>
        <translation>в %1 нет кадров на шине %2</translation>
    </message>
    <message>
        <source>%1 frames of buses other than the first were written without their bus</source>
        <translation>%1 кадров с шин, кроме первой, записаны без указания шины</translation>
    </message>
    <message>
        <source>Bus %1</source>
        <translation>Шина %1</translation>
    </message>
    <message>
        <source>Learned %1 units (%2) from %3 s of %4 into %5</source>
        <translation>Изучено блоков: %1 (%2) по %3 с записи %4, схема записана в %5</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 на %2</translation>
    </message>
    <message>
        <source>Bus %1: %2 frames over %3 s</source>
        <translation>Шина %1: %2 кадров за %3 с</translation>
    </message>
    <message>
        <source>Kept the base scheme&apos;s %1 units of the buses not learned</source>
        <translation>Блоки шин, которые не изучались, взяты из исходной схемы без изменений: %1</translation>
    </message>
    <message>
        <source>Recordings decoded at once, each by a thread of its own (default 1)</source>
        <translation>Сколько записей расшифровывать одновременно, каждую отдельным потоком (по умолчанию 1)</translation>
    </message>
    <message>
        <source>Decode also the J1939 groups this DBC database describes and the library does not (repeatable)</source>
        <translation>Декодировать также группы J1939, которые описывает эта база DBC и нет в библиотеке (можно повторять)</translation>
    </message>
    <message>
        <source>Show no progress line on the terminal</source>
        <translation>Не показывать строку хода работы в терминале</translation>
    </message>
    <message>
        <source>%1% read, %2 frames/s, %3 left</source>
        <translation>прочитано %1%, %2 кадров/с, осталось %3</translation>
    </message>
    <message>
        <source>Decode the groups both a --dbc database and the library describe with the database</source>
        <translation>Группы, которые описывают и база --dbc, и библиотека, расшифровывать базой</translation>
    </message>
    <message>
        <source>--dbc-wins needs a --dbc FILE</source>
        <translation>--dbc-wins требует --dbc ФАЙЛ</translation>
    </message>
</context>
<context>
    <name>CodeActions</name>
    <message>
        <source>Trouble codes</source>
        <translation>Коды неисправностей</translation>
    </message>
    <message>
        <source>Read the unit&apos;s active and previously active trouble codes</source>
        <translation>Прочитать активные и ранее активные коды неисправностей блока</translation>
    </message>
    <message>
        <source>%1 has another function at 0x%2</source>
        <translation>У %1 другая функция на 0x%2</translation>
    </message>
    <message>
        <source>%1 cannot take the function %2</source>
        <translation>%1 не может принять функцию %2</translation>
    </message>
    <message>
        <source>No bus connection: %1 was not asked</source>
        <translation>Нет подключения к шине: запрос к %1 не отправлен</translation>
    </message>
    <message>
        <source>Asking %1 for its trouble codes…</source>
        <translation>%1: запрос кодов неисправностей…</translation>
    </message>
</context>
<context>
    <name>CodeClearingFunction</name>
    <message>
        <source>DM11/DM3 - Clear Diagnostic Trouble Codes</source>
        <translation>DM11/DM3 — Стирание диагностических кодов неисправностей</translation>
    </message>
    <message>
        <source>Last result</source>
        <translation>Последний результат</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Итог</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2</source>
        <translation>SPN %1 FMI %2</translation>
    </message>
    <message>
        <source>Nothing chosen to clear</source>
        <translation>Ничего не выбрано для стирания</translation>
    </message>
    <message>
        <source>No unit to clear</source>
        <translation>Нет блока для стирания кодов</translation>
    </message>
    <message>
        <source>No bus connection: nothing was sent</source>
        <translation>Нет подключения к шине: ничего не отправлено</translation>
    </message>
    <message>
        <source>Clearing…</source>
        <translation>Стирание…</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>нет ответа</translation>
    </message>
    <message>
        <source>Active codes</source>
        <translation>Активные коды</translation>
    </message>
    <message>
        <source>Previously active codes</source>
        <translation>Ранее активные коды</translation>
    </message>
    <message>
        <source>no answer, codes not cleared</source>
        <translation>нет ответа, коды не стёрты</translation>
    </message>
    <message>
        <source>cleared</source>
        <translation>коды стёрты</translation>
    </message>
    <message>
        <source>partly cleared (%1)</source>
        <translation>коды стёрты частично (%1)</translation>
    </message>
    <message>
        <source>refused (%1)</source>
        <translation>стирание кодов отклонено (%1)</translation>
    </message>
    <message>
        <source>Clear codes: no unit answered</source>
        <translation>Стирание кодов: ни один блок не ответил</translation>
    </message>
    <message>
        <source>Clear codes of %1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Clear codes of all units: %1 cleared, %2 refused, %3 without answer</source>
        <translation>Стирание кодов всех блоков: стёрто %1, отказов %2, без ответа %3</translation>
    </message>
    <message numerus="yes">
        <source>; %n code(s) came back</source>
        <translation>
            <numerusform>; вернулся %n код</numerusform>
            <numerusform>; вернулись %n кода</numerusform>
            <numerusform>; вернулись %n кодов</numerusform>
        </translation>
    </message>
    <message>
        <source>Cleared; the units check their faults again…</source>
        <translation>Коды сброшены; блоки заново проверяют неисправности…</translation>
    </message>
    <message>
        <source>%1 not cleared (%2)</source>
        <translation>%1 не стёрты (%2)</translation>
    </message>
    <message>
        <source>%1 cleared; the codes before are not known (not read)</source>
        <translation>%1 стёрты; прежние коды неизвестны (не прочитаны)</translation>
    </message>
    <message>
        <source>%1 cleared; gone: %2; came back: %3</source>
        <translation>%1 стёрты; исчезли: %2; вернулись: %3</translation>
    </message>
    <message>
        <source>%1 new after the clearing: %2</source>
        <translation>%1, новые после стирания: %2</translation>
    </message>
</context>
<context>
    <name>CodeClearingSchemeTreeItem</name>
    <message>
        <source>Right-click the unit, Clear codes…, to clear again.</source>
        <translation>Чтобы сбросить коды снова: правый щелчок по блоку, «Стереть коды…».</translation>
    </message>
    <message>
        <source>No clearing yet</source>
        <translation>Коды ещё не стирались</translation>
    </message>
</context>
<context>
    <name>ComponentIdFunction</name>
    <message>
        <source>Component Identification</source>
        <translation>Идентификация компонента</translation>
    </message>
    <message>
        <source>Make</source>
        <translation>Изготовитель</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Модель</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Серийный номер</translation>
    </message>
    <message>
        <source>Unit number</source>
        <translation>Номер блока</translation>
    </message>
</context>
<context>
    <name>ConnectionTimeoutsDialog</name>
    <message>
        <source>Connection timeouts</source>
        <translation>Тайм-ауты соединения</translation>
    </message>
    <message>
        <source>Receive Node Delays</source>
        <translation>Задержки приёмника</translation>
    </message>
    <message>
        <source>RTS to CTS</source>
        <translation>RTS до CTS</translation>
    </message>
    <message>
        <source>Data to CTS0</source>
        <translation>Данные до CTS0</translation>
    </message>
    <message>
        <source>Pause timing</source>
        <translation>Пауза</translation>
    </message>
    <message>
        <source>Last data to ACK</source>
        <translation>Последние данные до ACK</translation>
    </message>
    <message>
        <source>Window size</source>
        <translation>Размер окна</translation>
    </message>
    <message>
        <source>Receive Node Timeouts</source>
        <translation>Тайм-ауты приёмника</translation>
    </message>
    <message>
        <source>Data to data(T1)</source>
        <translation>Между данными (T1)</translation>
    </message>
    <message>
        <source>CTS to data(T2)</source>
        <translation>CTS до данных (T2)</translation>
    </message>
    <message>
        <source>Connection diagram</source>
        <translation>Диаграмма соединения</translation>
    </message>
</context>
<context>
    <name>ControlPanelStateFunction</name>
    <message>
        <source>B1-Control</source>
        <translation>B1-Управление</translation>
    </message>
    <message>
        <source>B2-Stop</source>
        <translation>B2-Стоп</translation>
    </message>
    <message>
        <source>B3-Engine</source>
        <translation>B3-Двигатель</translation>
    </message>
    <message>
        <source>B4-Beep</source>
        <translation>B4-Сигнал</translation>
    </message>
    <message>
        <source>B5-Setup</source>
        <translation>B5-Настройка</translation>
    </message>
    <message>
        <source>B1</source>
        <translation>B1</translation>
    </message>
    <message>
        <source>B2</source>
        <translation>B2</translation>
    </message>
    <message>
        <source>B3</source>
        <translation>B3</translation>
    </message>
    <message>
        <source>B4</source>
        <translation>B4</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Состояние</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Левый</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Правый</translation>
    </message>
</context>
<context>
    <name>ControllerBlockStateDeviceFunction</name>
    <message>
        <source>Lock Up</source>
        <translation>Блокировка вверх</translation>
    </message>
    <message>
        <source>Lock Down</source>
        <translation>Блокировка вниз</translation>
    </message>
    <message>
        <source>Lock Left</source>
        <translation>Блокировка влево</translation>
    </message>
    <message>
        <source>Lock Right</source>
        <translation>Блокировка вправо</translation>
    </message>
    <message>
        <source>Lock Backward</source>
        <translation>Блокировка назад</translation>
    </message>
    <message>
        <source>Lock Forward</source>
        <translation>Блокировка вперёд</translation>
    </message>
    <message>
        <source>Blocks</source>
        <translation>Блокировки</translation>
    </message>
    <message>
        <source>Control</source>
        <translation>Управление</translation>
    </message>
    <message>
        <source>Errors</source>
        <translation>Ошибки</translation>
    </message>
</context>
<context>
    <name>ControllerIOStateDeviceFunction</name>
    <message>
        <source>WPLEFT</source>
        <translation>WPLEFT</translation>
    </message>
    <message>
        <source>WPRIGHT</source>
        <translation>WPRIGHT</translation>
    </message>
    <message>
        <source>UP</source>
        <translation>UP</translation>
    </message>
    <message>
        <source>DOWN</source>
        <translation>DOWN</translation>
    </message>
    <message>
        <source>FORWARD</source>
        <translation>FORWARD</translation>
    </message>
    <message>
        <source>BACKWARD</source>
        <translation>BACKWARD</translation>
    </message>
    <message>
        <source>RIGHT</source>
        <translation>RIGHT</translation>
    </message>
    <message>
        <source>LEFT</source>
        <translation>LEFT</translation>
    </message>
    <message>
        <source>PILOT</source>
        <translation>PILOT</translation>
    </message>
    <message>
        <source>RPM1</source>
        <translation>RPM1</translation>
    </message>
    <message>
        <source>STOP1</source>
        <translation>STOP1</translation>
    </message>
    <message>
        <source>BEEP1</source>
        <translation>BEEP1</translation>
    </message>
    <message>
        <source>Controller IO State</source>
        <translation>Состояние входов/выходов контроллера</translation>
    </message>
    <message>
        <source>BoomArmIn</source>
        <translation>Вход стрелы</translation>
    </message>
    <message>
        <source>Boom arm</source>
        <translation>Стрела</translation>
    </message>
    <message>
        <source>SupportIn</source>
        <translation>Вход опор</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Опоры</translation>
    </message>
</context>
<context>
    <name>ControllerMachineStateDeviceFunction</name>
    <message>
        <source>Machine state</source>
        <translation>Состояние машины</translation>
    </message>
</context>
<context>
    <name>ControllerZBusBridgeDeviceFunction</name>
    <message>
        <source>Z-Bus data</source>
        <translation>Данные Z-Bus</translation>
    </message>
</context>
<context>
    <name>CpsfSchemeTreeItem</name>
    <message>
        <source>Left</source>
        <translation>Левый</translation>
    </message>
    <message>
        <source>Left buttons</source>
        <translation>Левые кнопки</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Правый</translation>
    </message>
    <message>
        <source>Right buttons</source>
        <translation>Правые кнопки</translation>
    </message>
</context>
<context>
    <name>DM19Function</name>
    <message>
        <source>DM19 - Calibration Information</source>
        <translation>DM19 - Сведения о калибровках</translation>
    </message>
    <message>
        <source>Calibration count</source>
        <translation>Число калибровок</translation>
    </message>
    <message>
        <source>Calibrations</source>
        <translation>Калибровки</translation>
    </message>
    <message>
        <source>no calibrations</source>
        <translation>нет калибровок</translation>
    </message>
    <message>
        <source>Calibrations: %1</source>
        <translation>Калибровки: %1</translation>
    </message>
</context>
<context>
    <name>DM1Function</name>
    <message>
        <source>Malfunction Indicator Lamp</source>
        <translation>Лампа индикации неисправности</translation>
    </message>
    <message>
        <source>Red Stop Lamp</source>
        <translation>Красная лампа «Стоп»</translation>
    </message>
    <message>
        <source>Amber Warning Lamp</source>
        <translation>Жёлтая лампа предупреждения</translation>
    </message>
    <message>
        <source>Protect Lamp</source>
        <translation>Лампа защиты</translation>
    </message>
    <message>
        <source>Flash MIL</source>
        <translation>Мигание MIL</translation>
    </message>
    <message>
        <source>Flash Red Stop Lamp</source>
        <translation>Мигание красной лампы</translation>
    </message>
    <message>
        <source>Flash AWL</source>
        <translation>Мигание AWL</translation>
    </message>
    <message>
        <source>Flash Protect Lamp</source>
        <translation>Мигание лампы защиты</translation>
    </message>
    <message>
        <source>DM1 - Active Diagnostic Trouble Codes</source>
        <translation>DM1 - Активные диагностические коды неисправностей</translation>
    </message>
    <message>
        <source>DTC Count</source>
        <translation>Число кодов</translation>
    </message>
    <message>
        <source>DTC</source>
        <translation>Коды</translation>
    </message>
    <message>
        <source>Active trouble codes</source>
        <translation>Активные коды неисправностей</translation>
    </message>
</context>
<context>
    <name>DM1SchemeTreeItem</name>
    <message>
        <source>No codes</source>
        <translation>Кодов нет</translation>
    </message>
    <message>
        <source>%1 on</source>
        <translation>Горят: %1</translation>
    </message>
</context>
<context>
    <name>DM24Function</name>
    <message>
        <source>DM24 - SPN Support</source>
        <translation>DM24 - Поддержка SPN</translation>
    </message>
    <message>
        <source>Supported SPNs</source>
        <translation>Поддерживаемые SPN</translation>
    </message>
    <message>
        <source>SPNs in the freeze frame</source>
        <translation>SPN в стоп-кадре</translation>
    </message>
    <message>
        <source>SPN</source>
        <translation>SPN</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Freeze frame bytes</source>
        <translation>Байтов в стоп-кадре</translation>
    </message>
    <message>
        <source>Data stream</source>
        <translation>Поток данных</translation>
    </message>
    <message>
        <source>Test results</source>
        <translation>Результаты тестов</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>да</translation>
    </message>
    <message>
        <source>no</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>%1 SPNs, %2 in the freeze frame</source>
        <translation>SPN: %1, в стоп-кадре: %2</translation>
    </message>
</context>
<context>
    <name>DM25Function</name>
    <message>
        <source>DM25 - Expanded Freeze Frame</source>
        <translation>DM25 - Расширенный стоп-кадр</translation>
    </message>
    <message>
        <source>Freeze frames</source>
        <translation>Стоп-кадры</translation>
    </message>
    <message>
        <source>SPN</source>
        <translation>SPN</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>Raw</source>
        <translation>Байты</translation>
    </message>
    <message>
        <source>(no SPN list from the unit)</source>
        <translation>(блок не прислал список SPN)</translation>
    </message>
    <message>
        <source>(not in the unit&apos;s SPN list)</source>
        <translation>(нет в списке SPN блока)</translation>
    </message>
    <message>
        <source>cut short: %1</source>
        <translation>не полностью: %1</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Код</translation>
    </message>
    <message>
        <source>Values</source>
        <translation>Значения</translation>
    </message>
    <message>
        <source>SPN %1 = %2</source>
        <translation>SPN %1 = %2</translation>
    </message>
    <message>
        <source>no freeze frame</source>
        <translation>нет стоп-кадра</translation>
    </message>
    <message>
        <source>Freeze frames: %1 (%2)</source>
        <translation>Стоп-кадры: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>DM25SchemeTreeItem</name>
    <message>
        <source>Active</source>
        <translation>Активный</translation>
    </message>
    <message>
        <source>Previously active</source>
        <translation>Ранее активный</translation>
    </message>
    <message>
        <source>%1: SPN %2 FMI %3 OC %4</source>
        <translation>%1: SPN %2 FMI %3 OC %4</translation>
    </message>
    <message>
        <source>Freeze frame of a code</source>
        <translation>Стоп-кадр кода</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Код</translation>
    </message>
    <message>
        <source>SPN</source>
        <translation>SPN</translation>
    </message>
    <message>
        <source>FMI</source>
        <translation>FMI</translation>
    </message>
    <message>
        <source>OC</source>
        <translation>OC</translation>
    </message>
    <message>
        <source>any</source>
        <translation>любой</translation>
    </message>
    <message>
        <source>Request freeze frame</source>
        <translation>Запросить стоп-кадр</translation>
    </message>
    <message>
        <source>No codes known: type SPN, FMI and OC</source>
        <translation>Коды неизвестны: введите SPN, FMI и OC</translation>
    </message>
    <message>
        <source>Choose a code, or type SPN, FMI and OC</source>
        <translation>Выберите код или введите SPN, FMI и OC</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2</source>
        <translation>SPN %1 FMI %2</translation>
    </message>
    <message>
        <source>Asking %1 for its SPN support (DM24)…</source>
        <translation>%1: запрос поддержки SPN (DM24)…</translation>
    </message>
    <message>
        <source>%1 has no unit to ask</source>
        <translation>У %1 нет блока, которому можно отправить запрос</translation>
    </message>
    <message>
        <source>Asking %1 for the freeze frame of %2…</source>
        <translation>%1: запрос стоп-кадра %2…</translation>
    </message>
    <message>
        <source>No freeze frame for SPN %1 FMI %2</source>
        <translation>Нет стоп-кадра для SPN %1 FMI %2</translation>
    </message>
    <message>
        <source>Freeze frame of SPN %1 FMI %2, occurrence %3: %4 values</source>
        <translation>Стоп-кадр SPN %1 FMI %2, случай %3: значений %4</translation>
    </message>
    <message>
        <source>(raw bytes: no SPN support list from the unit)</source>
        <translation>(байты без разбора: блок не прислал список поддержки SPN)</translation>
    </message>
    <message>
        <source>(the record&apos;s length does not match the unit&apos;s SPN support list)</source>
        <translation>(длина записи не совпадает со списком поддержки SPN блока)</translation>
    </message>
    <message>
        <source>No answer from %1 to the freeze frame request (DM25)</source>
        <translation>%1: нет ответа на запрос стоп-кадра (DM25)</translation>
    </message>
</context>
<context>
    <name>DM2Function</name>
    <message>
        <source>DM2 - Previously Active Diagnostic Trouble Codes</source>
        <translation>DM2 - Ранее активные диагностические коды неисправностей</translation>
    </message>
    <message>
        <source>Previously active trouble codes</source>
        <translation>Ранее активные коды неисправностей</translation>
    </message>
</context>
<context>
    <name>DM4Function</name>
    <message>
        <source>DM4 - Freeze Frame Parameters</source>
        <translation>DM4 - Параметры стоп-кадра</translation>
    </message>
    <message>
        <source>Freeze frames</source>
        <translation>Стоп-кадры</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Код</translation>
    </message>
    <message>
        <source>Manufacturer data</source>
        <translation>Данные изготовителя</translation>
    </message>
    <message>
        <source>no freeze frame</source>
        <translation>нет стоп-кадра</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2: %3, %4</source>
        <translation>SPN %1 FMI %2: %3, %4</translation>
    </message>
    <message>
        <source>Freeze frames: %1 (%2)</source>
        <translation>Стоп-кадры: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>DM5Function</name>
    <message>
        <source>Misfire</source>
        <translation>Пропуски зажигания</translation>
    </message>
    <message>
        <source>Fuel system</source>
        <translation>Топливная система</translation>
    </message>
    <message>
        <source>Comprehensive component</source>
        <translation>Комплексный контроль компонентов</translation>
    </message>
    <message>
        <source>Catalyst</source>
        <translation>Катализатор</translation>
    </message>
    <message>
        <source>Heated catalyst</source>
        <translation>Катализатор с подогревом</translation>
    </message>
    <message>
        <source>Evaporative system</source>
        <translation>Система улавливания паров топлива</translation>
    </message>
    <message>
        <source>Secondary air system</source>
        <translation>Система вторичного воздуха</translation>
    </message>
    <message>
        <source>A/C system refrigerant</source>
        <translation>Хладагент системы кондиционирования</translation>
    </message>
    <message>
        <source>Exhaust gas sensor</source>
        <translation>Датчик отработавших газов</translation>
    </message>
    <message>
        <source>Exhaust gas sensor heater</source>
        <translation>Нагреватель датчика отработавших газов</translation>
    </message>
    <message>
        <source>EGR/VVT system</source>
        <translation>Система EGR/VVT</translation>
    </message>
    <message>
        <source>Cold start aid system</source>
        <translation>Система облегчения холодного пуска</translation>
    </message>
    <message>
        <source>Boost pressure control system</source>
        <translation>Система регулирования давления наддува</translation>
    </message>
    <message>
        <source>Diesel particulate filter</source>
        <translation>Сажевый фильтр</translation>
    </message>
    <message>
        <source>NOx converting catalyst/adsorber</source>
        <translation>Катализатор/адсорбер NOx</translation>
    </message>
    <message>
        <source>NMHC converting catalyst</source>
        <translation>Катализатор NMHC</translation>
    </message>
    <message>
        <source>Not supported</source>
        <translation>Не поддерживается</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>Завершена</translation>
    </message>
    <message>
        <source>Not complete</source>
        <translation>Не завершена</translation>
    </message>
    <message>
        <source>Not supported, reported not complete</source>
        <translation>Не поддерживается, но сообщена как не завершённая</translation>
    </message>
    <message>
        <source>OBD II (California ARB)</source>
        <translation>OBD II (Калифорния, ARB)</translation>
    </message>
    <message>
        <source>OBD (US EPA)</source>
        <translation>OBD (EPA США)</translation>
    </message>
    <message>
        <source>OBD and OBD II</source>
        <translation>OBD и OBD II</translation>
    </message>
    <message>
        <source>OBD I</source>
        <translation>OBD I</translation>
    </message>
    <message>
        <source>Not OBD compliant</source>
        <translation>Не соответствует OBD</translation>
    </message>
    <message>
        <source>EOBD</source>
        <translation>EOBD</translation>
    </message>
    <message>
        <source>EOBD and OBD II</source>
        <translation>EOBD и OBD II</translation>
    </message>
    <message>
        <source>EOBD and OBD</source>
        <translation>EOBD и OBD</translation>
    </message>
    <message>
        <source>EOBD, OBD and OBD II</source>
        <translation>EOBD, OBD и OBD II</translation>
    </message>
    <message>
        <source>JOBD</source>
        <translation>JOBD</translation>
    </message>
    <message>
        <source>JOBD and OBD II</source>
        <translation>JOBD и OBD II</translation>
    </message>
    <message>
        <source>JOBD and EOBD</source>
        <translation>JOBD и EOBD</translation>
    </message>
    <message>
        <source>JOBD, EOBD and OBD II</source>
        <translation>JOBD, EOBD и OBD II</translation>
    </message>
    <message>
        <source>Engine manufacturer diagnostics (EMD)</source>
        <translation>Диагностика изготовителя двигателя (EMD)</translation>
    </message>
    <message>
        <source>EMD+</source>
        <translation>EMD+</translation>
    </message>
    <message>
        <source>Heavy-duty OBD, partial (HD OBD P)</source>
        <translation>OBD для тяжёлой техники, частичная (HD OBD P)</translation>
    </message>
    <message>
        <source>Heavy-duty OBD (HD OBD)</source>
        <translation>OBD для тяжёлой техники (HD OBD)</translation>
    </message>
    <message>
        <source>World-wide harmonized OBD (WWH OBD)</source>
        <translation>Всемирно гармонизированная OBD (WWH OBD)</translation>
    </message>
    <message>
        <source>DM5 - Diagnostic Readiness 1</source>
        <translation>DM5 - Диагностическая готовность 1</translation>
    </message>
    <message>
        <source>Active trouble codes</source>
        <translation>Активные коды неисправностей</translation>
    </message>
    <message>
        <source>Previously active trouble codes</source>
        <translation>Ранее активные коды неисправностей</translation>
    </message>
    <message>
        <source>OBD compliance</source>
        <translation>Соответствие OBD</translation>
    </message>
    <message>
        <source>Reserved</source>
        <translation>Зарезервировано</translation>
    </message>
    <message>
        <source>no answer yet</source>
        <translation>ответа ещё нет</translation>
    </message>
    <message>
        <source>%1 active, %2 previously active</source>
        <translation>активных %1, ранее активных %2</translation>
    </message>
    <message>
        <source>OBD compliance n/a</source>
        <translation>соответствие OBD н/д</translation>
    </message>
    <message>
        <source>supported monitors complete</source>
        <translation>поддерживаемые проверки завершены</translation>
    </message>
    <message>
        <source>not complete: %1</source>
        <translation>не завершены: %1</translation>
    </message>
</context>
<context>
    <name>DM5SchemeTreeItem</name>
    <message>
        <source>Continuously monitored systems</source>
        <translation>Системы с непрерывным контролем</translation>
    </message>
    <message>
        <source>Non-continuously monitored systems</source>
        <translation>Системы с периодическим контролем</translation>
    </message>
</context>
<context>
    <name>DatabasesDialog</name>
    <message>
        <source>Databases</source>
        <translation>Базы данных</translation>
    </message>
    <message>
        <source>DBC databases decode the groups they describe on the bus. A group the library also describes is decoded by the library unless its database comes before it.</source>
        <translation>Базы DBC расшифровывают описанные в них группы шины. Группу, которую описывает и библиотека, расшифровывает библиотека, если её база не стоит перед библиотекой.</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Сообщения</translation>
    </message>
    <message>
        <source>Before the library</source>
        <translation>Перед библиотекой</translation>
    </message>
    <message>
        <source>Extended frames by PGN</source>
        <translation>Расширенные кадры по PGN</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Состояние</translation>
    </message>
    <message>
        <source>Add…</source>
        <translation>Добавить…</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Вверх</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Вниз</translation>
    </message>
    <message>
        <source>J1939: every source address</source>
        <translation>J1939: любой адрес источника</translation>
    </message>
    <message>
        <source>Exact identifiers</source>
        <translation>Точные идентификаторы</translation>
    </message>
    <message>
        <source>Add DBC database</source>
        <translation>Добавить базу DBC</translation>
    </message>
    <message>
        <source>DBC databases (*.dbc);;All files (*)</source>
        <translation>Базы DBC (*.dbc);;Все файлы (*)</translation>
    </message>
    <message>
        <source>%1 is already in the list</source>
        <translation>%1 уже есть в списке</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n message(s)</source>
        <translation>
            <numerusform>%1: %n сообщение</numerusform>
            <numerusform>%1: %n сообщения</numerusform>
            <numerusform>%1: %n сообщений</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n line(s) not read, the first: %1</source>
        <translation>
            <numerusform>%n строка не прочитана, первая: %1</numerusform>
            <numerusform>%n строки не прочитаны, первая: %1</numerusform>
            <numerusform>%n строк не прочитано, первая: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>A group the library also describes is decoded with this database</source>
        <translation>Группа, которую описывает и библиотека, расшифровывается этой базой</translation>
    </message>
    <message>
        <source>Extended messages of this J1939 database that are not marked as J1939 groups match their group from every source address too</source>
        <translation>Расширенные сообщения этой базы J1939, не помеченные как группы J1939, тоже относятся к своей группе от любого адреса источника</translation>
    </message>
</context>
<context>
    <name>DbcFunction</name>
    <message>
        <source>Decoded with the DBC database %1, which comes before the library</source>
        <translation>Расшифровано базой DBC %1, стоящей перед библиотекой</translation>
    </message>
    <message>
        <source>Decoded with the DBC database %1</source>
        <translation>Расшифровано базой DBC %1</translation>
    </message>
</context>
<context>
    <name>DbcReader</name>
    <message>
        <source>%1: cannot be read: %2</source>
        <translation>%1: не удаётся прочитать: %2</translation>
    </message>
    <message>
        <source>unknown statement &quot;%1&quot;</source>
        <translation>неизвестная инструкция «%1»</translation>
    </message>
    <message>
        <source>string not closed</source>
        <translation>строка не закрыта</translation>
    </message>
    <message>
        <source>%1: not a DBC database (no VERSION, NS_, BU_ or BO_ statement)</source>
        <translation>%1: не база DBC (нет инструкций VERSION, NS_, BU_ или BO_)</translation>
    </message>
    <message>
        <source>message identifier is not a number</source>
        <translation>идентификатор сообщения — не число</translation>
    </message>
    <message>
        <source>message %1 has no name</source>
        <translation>у сообщения %1 нет имени</translation>
    </message>
    <message>
        <source>message %1 has a bad length</source>
        <translation>у сообщения %1 неверная длина</translation>
    </message>
    <message>
        <source>message %1 has an identifier beyond 29 bits</source>
        <translation>идентификатор сообщения %1 длиннее 29 бит</translation>
    </message>
    <message>
        <source>message %1 repeats the identifier of an earlier one</source>
        <translation>сообщение %1 повторяет идентификатор предыдущего</translation>
    </message>
    <message>
        <source>signal outside a message</source>
        <translation>сигнал вне сообщения</translation>
    </message>
    <message>
        <source>signal without a name</source>
        <translation>сигнал без имени</translation>
    </message>
    <message>
        <source>signal %1 has a bad multiplexer mark</source>
        <translation>у сигнала %1 неверная отметка мультиплексора</translation>
    </message>
    <message>
        <source>signal %1 has a bad placement</source>
        <translation>у сигнала %1 неверное расположение</translation>
    </message>
    <message>
        <source>signal %1 has a bad scaling or unit</source>
        <translation>у сигнала %1 неверный масштаб или единица</translation>
    </message>
    <message>
        <source>signal %1 lies beyond the %2 bytes of message %3</source>
        <translation>сигнал %1 выходит за %2 байт сообщения %3</translation>
    </message>
    <message>
        <source>signal %1 repeats a name in message %2</source>
        <translation>сигнал %1 повторяет имя в сообщении %2</translation>
    </message>
    <message>
        <source>message %1 has more than %2 signals</source>
        <translation>в сообщении %1 больше %2 сигналов</translation>
    </message>
    <message>
        <source>%1: message identifier is not a number</source>
        <translation>%1: идентификатор сообщения — не число</translation>
    </message>
    <message>
        <source>%1 for message %2 that the file does not define</source>
        <translation>%1 для сообщения %2, которого нет в файле</translation>
    </message>
    <message>
        <source>%1 for a signal that message %2 does not have</source>
        <translation>%1 для сигнала, которого нет в сообщении %2</translation>
    </message>
    <message>
        <source>comment on an unknown kind of object</source>
        <translation>комментарий к объекту неизвестного вида</translation>
    </message>
    <message>
        <source>comment without its text</source>
        <translation>комментарий без текста</translation>
    </message>
    <message>
        <source>attribute definition without a name</source>
        <translation>определение атрибута без имени</translation>
    </message>
    <message>
        <source>attribute default without a name or value</source>
        <translation>значение атрибута по умолчанию без имени или значения</translation>
    </message>
    <message>
        <source>attribute without a name</source>
        <translation>атрибут без имени</translation>
    </message>
    <message>
        <source>frame format of message %1 is none of the defined ones</source>
        <translation>формат кадра сообщения %1 не из определённых</translation>
    </message>
    <message>
        <source>SPN of signal %1 is not a number up to %2</source>
        <translation>SPN сигнала %1 — не число до %2</translation>
    </message>
    <message>
        <source>value table without a name</source>
        <translation>таблица значений без имени</translation>
    </message>
    <message>
        <source>value texts are not pairs of a number and a string</source>
        <translation>тексты значений — не пары из числа и строки</translation>
    </message>
    <message>
        <source>value type of signal %1 is not 0, 1 or 2</source>
        <translation>тип значения сигнала %1 — не 0, 1 или 2</translation>
    </message>
    <message>
        <source>signal %1 of %2 bits cannot hold an IEEE value of %3 bits</source>
        <translation>сигнал %1 из %2 бит не вмещает значение IEEE из %3 бит</translation>
    </message>
    <message>
        <source>signal %1 is switched by a signal that message %2 does not have</source>
        <translation>сигнал %1 переключается сигналом, которого нет в сообщении %2</translation>
    </message>
    <message>
        <source>signal %1 has a bad multiplexer range</source>
        <translation>у сигнала %1 неверный диапазон мультиплексора</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n more warning(s)</source>
        <translation>
            <numerusform>%1: ещё %n предупреждение</numerusform>
            <numerusform>%1: ещё %n предупреждения</numerusform>
            <numerusform>%1: ещё %n предупреждений</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DescriptionFiles</name>
    <message>
        <source>The function library %1 cannot be read: %2 (line %3, column %4). It is skipped.</source>
        <translation>Библиотеку функций %1 не удалось прочитать: %2 (строка %3, столбец %4). Она пропущена.</translation>
    </message>
</context>
<context>
    <name>DescriptionText</name>
    <message>
        <source>EEC1 - Electronic Engine Controller 1</source>
        <translation>EEC1 — Электронный контроллер двигателя 1</translation>
    </message>
    <message>
        <source>Engine Torque Mode</source>
        <translation>Режим крутящего момента двигателя</translation>
    </message>
    <message>
        <source>Driver&apos;s Demand Engine - Percent Torque</source>
        <translation>Требуемый водителем момент двигателя, %</translation>
    </message>
    <message>
        <source>Actual Engine - Percent Torque</source>
        <translation>Фактический момент двигателя, %</translation>
    </message>
    <message>
        <source>Engine Speed</source>
        <translation>Частота вращения двигателя</translation>
    </message>
    <message>
        <source>Source Address of Controlling Device for Engine Control</source>
        <translation>Адрес устройства, управляющего двигателем</translation>
    </message>
    <message>
        <source>Engine Starter Mode</source>
        <translation>Режим стартера двигателя</translation>
    </message>
    <message>
        <source>Engine Demand - Percent Torque</source>
        <translation>Запрошенный момент двигателя, %</translation>
    </message>
    <message>
        <source>n=%1 rpm, torque %2 %, demand %3 %</source>
        <translation>n=%1 об/мин, момент %2 %, запрос %3 %</translation>
    </message>
    <message>
        <source>Speed and torque</source>
        <translation>Обороты и момент</translation>
    </message>
    <message>
        <source>Engine speed</source>
        <translation>Обороты двигателя</translation>
    </message>
    <message>
        <source>Actual torque</source>
        <translation>Фактический момент</translation>
    </message>
    <message>
        <source>Demand</source>
        <translation>Запрос</translation>
    </message>
    <message>
        <source>Control</source>
        <translation>Управление</translation>
    </message>
    <message>
        <source>EEC2 - Electronic Engine Controller 2</source>
        <translation>EEC2 — Электронный контроллер двигателя 2</translation>
    </message>
    <message>
        <source>Accelerator Pedal 1 Low Idle Switch</source>
        <translation>Выключатель холостого хода педали акселератора 1</translation>
    </message>
    <message>
        <source>Accelerator Pedal Kickdown Switch</source>
        <translation>Выключатель кикдауна педали акселератора</translation>
    </message>
    <message>
        <source>Road Speed Limit Status</source>
        <translation>Состояние ограничения скорости</translation>
    </message>
    <message>
        <source>Accelerator Pedal Position 1</source>
        <translation>Положение педали акселератора 1</translation>
    </message>
    <message>
        <source>Engine Percent Load At Current Speed</source>
        <translation>Нагрузка двигателя на текущих оборотах, %</translation>
    </message>
    <message>
        <source>Remote Accelerator Pedal Position</source>
        <translation>Положение дистанционной педали акселератора</translation>
    </message>
    <message>
        <source>Accelerator Pedal Position 2</source>
        <translation>Положение педали акселератора 2</translation>
    </message>
    <message>
        <source>Actual Maximum Available Engine - Percent Torque</source>
        <translation>Фактический максимально доступный момент двигателя, %</translation>
    </message>
    <message>
        <source>pedal %1 %, load %2 %</source>
        <translation>педаль %1 %, нагрузка %2 %</translation>
    </message>
    <message>
        <source>EEC3 - Electronic Engine Controller 3</source>
        <translation>EEC3 — Электронный контроллер двигателя 3</translation>
    </message>
    <message>
        <source>Nominal Friction - Percent Torque</source>
        <translation>Номинальный момент трения, %</translation>
    </message>
    <message>
        <source>Engine&apos;s Desired Operating Speed</source>
        <translation>Желаемые рабочие обороты двигателя</translation>
    </message>
    <message>
        <source>Engine&apos;s Desired Operating Speed Asymmetry Adjustment</source>
        <translation>Поправка асимметрии желаемых рабочих оборотов</translation>
    </message>
    <message>
        <source>Estimated Engine Parasitic Losses - Percent Torque</source>
        <translation>Оценка паразитных потерь двигателя, % момента</translation>
    </message>
    <message>
        <source>ETC1 - Electronic Transmission Controller 1</source>
        <translation>ETC1 — Электронный контроллер трансмиссии 1</translation>
    </message>
    <message>
        <source>Transmission Driveline Engaged</source>
        <translation>Трансмиссия включена</translation>
    </message>
    <message>
        <source>Transmission Torque Converter Lockup Engaged</source>
        <translation>Блокировка гидротрансформатора включена</translation>
    </message>
    <message>
        <source>Transmission Shift In Process</source>
        <translation>Идёт переключение передачи</translation>
    </message>
    <message>
        <source>Transmission Output Shaft Speed</source>
        <translation>Частота вращения выходного вала трансмиссии</translation>
    </message>
    <message>
        <source>Percent Clutch Slip</source>
        <translation>Пробуксовка сцепления, %</translation>
    </message>
    <message>
        <source>Engine Momentary Overspeed Enable</source>
        <translation>Разрешение кратковременного превышения оборотов</translation>
    </message>
    <message>
        <source>Progressive Shift Disable</source>
        <translation>Запрет прогрессивного переключения</translation>
    </message>
    <message>
        <source>Transmission Input Shaft Speed</source>
        <translation>Частота вращения входного вала трансмиссии</translation>
    </message>
    <message>
        <source>Source Address of Controlling Device for Transmission Control</source>
        <translation>Адрес устройства, управляющего трансмиссией</translation>
    </message>
    <message>
        <source>out %1 rpm, in %2 rpm</source>
        <translation>выход %1 об/мин, вход %2 об/мин</translation>
    </message>
    <message>
        <source>ETC2 - Electronic Transmission Controller 2</source>
        <translation>ETC2 — Электронный контроллер трансмиссии 2</translation>
    </message>
    <message>
        <source>Transmission Selected Gear</source>
        <translation>Выбранная передача</translation>
    </message>
    <message>
        <source>Transmission Actual Gear Ratio</source>
        <translation>Фактическое передаточное число</translation>
    </message>
    <message>
        <source>Transmission Current Gear</source>
        <translation>Текущая передача</translation>
    </message>
    <message>
        <source>gear %1 (selected %2)</source>
        <translation>передача %1 (выбрана %2)</translation>
    </message>
    <message>
        <source>EBC1 - Electronic Brake Controller 1</source>
        <translation>EBC1 — Электронный контроллер тормозов 1</translation>
    </message>
    <message>
        <source>ASR Engine Control Active</source>
        <translation>ПБС: управление двигателем активно</translation>
    </message>
    <message>
        <source>ASR Brake Control Active</source>
        <translation>ПБС: управление тормозами активно</translation>
    </message>
    <message>
        <source>Anti-Lock Braking (ABS) Active</source>
        <translation>АБС активна</translation>
    </message>
    <message>
        <source>EBS Brake Switch</source>
        <translation>Выключатель тормоза ЭБС</translation>
    </message>
    <message>
        <source>Brake Pedal Position</source>
        <translation>Положение педали тормоза</translation>
    </message>
    <message>
        <source>ABS Off-road Switch</source>
        <translation>Выключатель режима АБС «бездорожье»</translation>
    </message>
    <message>
        <source>Engine Retarder Selection</source>
        <translation>Выбор моторного замедлителя</translation>
    </message>
    <message>
        <source>ABS Fully Operational</source>
        <translation>АБС полностью исправна</translation>
    </message>
    <message>
        <source>EBS Red Warning Signal</source>
        <translation>Красный сигнал ЭБС</translation>
    </message>
    <message>
        <source>ABS/EBS Amber Warning Signal (Powered Vehicle)</source>
        <translation>Жёлтый сигнал АБС/ЭБС (тягач)</translation>
    </message>
    <message>
        <source>Source Address of Controlling Device for Brake Control</source>
        <translation>Адрес устройства, управляющего тормозами</translation>
    </message>
    <message>
        <source>CCVS1 - Cruise Control/Vehicle Speed 1</source>
        <translation>CCVS1 — Круиз-контроль и скорость 1</translation>
    </message>
    <message>
        <source>Two Speed Axle Switch</source>
        <translation>Переключатель двухступенчатого моста</translation>
    </message>
    <message>
        <source>Parking Brake Switch</source>
        <translation>Выключатель стояночного тормоза</translation>
    </message>
    <message>
        <source>Cruise Control Pause Switch</source>
        <translation>Выключатель паузы круиз-контроля</translation>
    </message>
    <message>
        <source>Wheel-Based Vehicle Speed</source>
        <translation>Скорость машины по колёсам</translation>
    </message>
    <message>
        <source>Cruise Control Active</source>
        <translation>Круиз-контроль активен</translation>
    </message>
    <message>
        <source>Cruise Control Enable Switch</source>
        <translation>Выключатель разрешения круиз-контроля</translation>
    </message>
    <message>
        <source>Brake Switch</source>
        <translation>Выключатель тормоза</translation>
    </message>
    <message>
        <source>Clutch Switch</source>
        <translation>Выключатель сцепления</translation>
    </message>
    <message>
        <source>Cruise Control Set Speed</source>
        <translation>Заданная скорость круиз-контроля</translation>
    </message>
    <message>
        <source>PTO Governor State</source>
        <translation>Состояние регулятора ВОМ</translation>
    </message>
    <message>
        <source>Cruise Control States</source>
        <translation>Состояния круиз-контроля</translation>
    </message>
    <message>
        <source>v=%1 km/h, park brake %2</source>
        <translation>v=%1 км/ч, стояночный тормоз %2</translation>
    </message>
    <message>
        <source>ET1 - Engine Temperature 1</source>
        <translation>ET1 — Температуры двигателя 1</translation>
    </message>
    <message>
        <source>Engine Coolant Temperature</source>
        <translation>Температура охлаждающей жидкости</translation>
    </message>
    <message>
        <source>Engine Fuel Temperature 1</source>
        <translation>Температура топлива 1</translation>
    </message>
    <message>
        <source>Engine Oil Temperature 1</source>
        <translation>Температура масла двигателя 1</translation>
    </message>
    <message>
        <source>Engine Turbocharger Oil Temperature</source>
        <translation>Температура масла турбокомпрессора</translation>
    </message>
    <message>
        <source>Engine Intercooler Temperature</source>
        <translation>Температура в охладителе наддувочного воздуха</translation>
    </message>
    <message>
        <source>Engine Intercooler Thermostat Opening</source>
        <translation>Открытие термостата охладителя наддувочного воздуха</translation>
    </message>
    <message>
        <source>coolant %1 C, oil %2 C</source>
        <translation>ОЖ %1 °C, масло %2 °C</translation>
    </message>
    <message>
        <source>Oil over coolant</source>
        <translation>Масло выше ОЖ</translation>
    </message>
    <message>
        <source>EFL/P1 - Engine Fluid Level/Pressure 1</source>
        <translation>EFL/P1 — Уровни и давления жидкостей двигателя 1</translation>
    </message>
    <message>
        <source>Engine Fuel Delivery Pressure</source>
        <translation>Давление подачи топлива</translation>
    </message>
    <message>
        <source>Engine Extended Crankcase Blow-by Pressure</source>
        <translation>Давление картерных газов (расширенное)</translation>
    </message>
    <message>
        <source>Engine Oil Level</source>
        <translation>Уровень масла двигателя</translation>
    </message>
    <message>
        <source>Engine Oil Pressure</source>
        <translation>Давление масла двигателя</translation>
    </message>
    <message>
        <source>Engine Crankcase Pressure</source>
        <translation>Давление в картере</translation>
    </message>
    <message>
        <source>Engine Coolant Pressure</source>
        <translation>Давление охлаждающей жидкости</translation>
    </message>
    <message>
        <source>Engine Coolant Level</source>
        <translation>Уровень охлаждающей жидкости</translation>
    </message>
    <message>
        <source>oil %1 kPa, coolant level %2 %</source>
        <translation>масло %1 кПа, уровень ОЖ %2 %</translation>
    </message>
    <message>
        <source>LFE1 - Fuel Economy (Liquid)</source>
        <translation>LFE1 — Экономичность (жидкое топливо)</translation>
    </message>
    <message>
        <source>Engine Fuel Rate</source>
        <translation>Расход топлива</translation>
    </message>
    <message>
        <source>Engine Instantaneous Fuel Economy</source>
        <translation>Мгновенная топливная экономичность</translation>
    </message>
    <message>
        <source>Engine Average Fuel Economy</source>
        <translation>Средняя топливная экономичность</translation>
    </message>
    <message>
        <source>Engine Throttle Valve 1 Position</source>
        <translation>Положение дроссельной заслонки 1</translation>
    </message>
    <message>
        <source>Engine Throttle Valve 2 Position</source>
        <translation>Положение дроссельной заслонки 2</translation>
    </message>
    <message>
        <source>rate %1 L/h</source>
        <translation>расход %1 л/ч</translation>
    </message>
    <message>
        <source>LFC1 - Fuel Consumption (Liquid) 1</source>
        <translation>LFC1 — Потребление жидкого топлива 1</translation>
    </message>
    <message>
        <source>Engine Trip Fuel</source>
        <translation>Топливо за рейс</translation>
    </message>
    <message>
        <source>Engine Total Fuel Used</source>
        <translation>Всего израсходовано топлива</translation>
    </message>
    <message>
        <source>trip %1 L, total %2 L</source>
        <translation>рейс %1 л, всего %2 л</translation>
    </message>
    <message>
        <source>AMB - Ambient Conditions</source>
        <translation>AMB — Условия окружающей среды</translation>
    </message>
    <message>
        <source>Barometric Pressure</source>
        <translation>Атмосферное давление</translation>
    </message>
    <message>
        <source>Cab Interior Temperature</source>
        <translation>Температура в кабине</translation>
    </message>
    <message>
        <source>Ambient Air Temperature</source>
        <translation>Температура наружного воздуха</translation>
    </message>
    <message>
        <source>Engine Air Inlet Temperature</source>
        <translation>Температура воздуха на впуске</translation>
    </message>
    <message>
        <source>Road Surface Temperature</source>
        <translation>Температура дорожного покрытия</translation>
    </message>
    <message>
        <source>ambient %1 C, %2 kPa</source>
        <translation>воздух %1 °C, %2 кПа</translation>
    </message>
    <message>
        <source>IC1 - Inlet/Exhaust Conditions 1</source>
        <translation>IC1 — Условия на впуске и выпуске 1</translation>
    </message>
    <message>
        <source>Engine Diesel Particulate Filter Inlet Pressure</source>
        <translation>Давление на входе сажевого фильтра</translation>
    </message>
    <message>
        <source>Engine Intake Manifold #1 Pressure</source>
        <translation>Давление во впускном коллекторе №1</translation>
    </message>
    <message>
        <source>Engine Intake Manifold 1 Temperature</source>
        <translation>Температура во впускном коллекторе 1</translation>
    </message>
    <message>
        <source>Engine Air Inlet Pressure</source>
        <translation>Давление воздуха на впуске</translation>
    </message>
    <message>
        <source>Engine Air Filter 1 Differential Pressure</source>
        <translation>Перепад давления на воздушном фильтре 1</translation>
    </message>
    <message>
        <source>Engine Exhaust Temperature</source>
        <translation>Температура отработавших газов</translation>
    </message>
    <message>
        <source>Engine Coolant Filter Differential Pressure</source>
        <translation>Перепад давления на фильтре ОЖ</translation>
    </message>
    <message>
        <source>boost %1 kPa, exhaust %2 C</source>
        <translation>наддув %1 кПа, выхлоп %2 °C</translation>
    </message>
    <message>
        <source>VEP1 - Vehicle Electrical Power 1</source>
        <translation>VEP1 — Электропитание машины 1</translation>
    </message>
    <message>
        <source>Net Battery Current</source>
        <translation>Ток аккумулятора</translation>
    </message>
    <message>
        <source>Alternator Current</source>
        <translation>Ток генератора</translation>
    </message>
    <message>
        <source>Charging System Potential (Voltage)</source>
        <translation>Напряжение системы зарядки</translation>
    </message>
    <message>
        <source>Battery Potential / Power Input 1</source>
        <translation>Напряжение аккумулятора / питания 1</translation>
    </message>
    <message>
        <source>Keyswitch Battery Potential</source>
        <translation>Напряжение после замка зажигания</translation>
    </message>
    <message>
        <source>battery %1 V, charging %2 V</source>
        <translation>АКБ %1 В, зарядка %2 В</translation>
    </message>
    <message>
        <source>HOURS - Engine Hours, Revolutions</source>
        <translation>HOURS — Моточасы и обороты двигателя</translation>
    </message>
    <message>
        <source>Engine Total Hours of Operation</source>
        <translation>Общая наработка двигателя</translation>
    </message>
    <message>
        <source>Engine Total Revolutions</source>
        <translation>Общее число оборотов двигателя</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 ч</translation>
    </message>
    <message>
        <source>DD - Dash Display</source>
        <translation>DD — Приборная панель</translation>
    </message>
    <message>
        <source>Washer Fluid Level</source>
        <translation>Уровень омывающей жидкости</translation>
    </message>
    <message>
        <source>Fuel Level 1</source>
        <translation>Уровень топлива 1</translation>
    </message>
    <message>
        <source>Engine Fuel Filter Differential Pressure</source>
        <translation>Перепад давления на топливном фильтре</translation>
    </message>
    <message>
        <source>Engine Oil Filter Differential Pressure</source>
        <translation>Перепад давления на масляном фильтре</translation>
    </message>
    <message>
        <source>Cargo Ambient Temperature</source>
        <translation>Температура в грузовом отсеке</translation>
    </message>
    <message>
        <source>Fuel Level 2</source>
        <translation>Уровень топлива 2</translation>
    </message>
    <message>
        <source>fuel %1 %</source>
        <translation>топливо %1 %</translation>
    </message>
    <message>
        <source>VD - Vehicle Distance</source>
        <translation>VD — Пробег машины</translation>
    </message>
    <message>
        <source>Trip Distance</source>
        <translation>Пробег за рейс</translation>
    </message>
    <message>
        <source>Total Vehicle Distance</source>
        <translation>Общий пробег</translation>
    </message>
    <message>
        <source>trip %1 km, total %2 km</source>
        <translation>рейс %1 км, всего %2 км</translation>
    </message>
    <message>
        <source>TCO1 - Tachograph</source>
        <translation>TCO1 — Тахограф</translation>
    </message>
    <message>
        <source>Driver 1 working state</source>
        <translation>Режим работы водителя 1</translation>
    </message>
    <message>
        <source>Driver 2 working state</source>
        <translation>Режим работы водителя 2</translation>
    </message>
    <message>
        <source>Vehicle motion</source>
        <translation>Движение машины</translation>
    </message>
    <message>
        <source>Driver 1 Time Related States</source>
        <translation>Состояния времени водителя 1</translation>
    </message>
    <message>
        <source>Driver card, driver 1</source>
        <translation>Карта водителя 1</translation>
    </message>
    <message>
        <source>Vehicle Overspeed</source>
        <translation>Превышение скорости</translation>
    </message>
    <message>
        <source>Direction indicator</source>
        <translation>Указатель направления</translation>
    </message>
    <message>
        <source>Tachograph output shaft speed</source>
        <translation>Частота вращения выходного вала по тахографу</translation>
    </message>
    <message>
        <source>Tachograph vehicle speed</source>
        <translation>Скорость по тахографу</translation>
    </message>
    <message>
        <source>v=%1 km/h</source>
        <translation>v=%1 км/ч</translation>
    </message>
    <message>
        <source>WFI - Water in Fuel Indicator</source>
        <translation>WFI — Индикатор воды в топливе</translation>
    </message>
    <message>
        <source>Water In Fuel Indicator</source>
        <translation>Индикатор воды в топливе</translation>
    </message>
    <message>
        <source>SHUTDN - Shutdown</source>
        <translation>SHUTDN — Останов</translation>
    </message>
    <message>
        <source>Engine Idle Shutdown has Shutdown Engine</source>
        <translation>Останов на холостом ходу заглушил двигатель</translation>
    </message>
    <message>
        <source>Engine Idle Shutdown Driver Alert Mode</source>
        <translation>Предупреждение водителя об останове на холостом ходу</translation>
    </message>
    <message>
        <source>Engine Idle Shutdown Timer Override</source>
        <translation>Отмена таймера останова на холостом ходу</translation>
    </message>
    <message>
        <source>Engine Idle Shutdown Timer State</source>
        <translation>Состояние таймера останова на холостом ходу</translation>
    </message>
    <message>
        <source>Engine Idle Shutdown Timer Function</source>
        <translation>Функция таймера останова на холостом ходу</translation>
    </message>
    <message>
        <source>Engine Wait to Start Lamp</source>
        <translation>Лампа «Ждите пуска»</translation>
    </message>
    <message>
        <source>Engine Protection System has Shutdown Engine</source>
        <translation>Система защиты заглушила двигатель</translation>
    </message>
    <message>
        <source>Engine Protection System Approaching Shutdown</source>
        <translation>Система защиты близка к останову</translation>
    </message>
    <message>
        <source>Engine Protection System Timer Override</source>
        <translation>Отмена таймера системы защиты</translation>
    </message>
    <message>
        <source>Engine Protection System Timer State</source>
        <translation>Состояние таймера системы защиты</translation>
    </message>
    <message>
        <source>TRF1 - Transmission Fluids 1</source>
        <translation>TRF1 — Жидкости трансмиссии 1</translation>
    </message>
    <message>
        <source>Clutch Pressure</source>
        <translation>Давление в сцеплении</translation>
    </message>
    <message>
        <source>Transmission Oil Level 1</source>
        <translation>Уровень масла трансмиссии 1</translation>
    </message>
    <message>
        <source>Transmission Filter Differential Pressure</source>
        <translation>Перепад давления на фильтре трансмиссии</translation>
    </message>
    <message>
        <source>Transmission Oil Pressure</source>
        <translation>Давление масла трансмиссии</translation>
    </message>
    <message>
        <source>Transmission Oil Temperature 1</source>
        <translation>Температура масла трансмиссии 1</translation>
    </message>
    <message>
        <source>oil %1 C, %2 kPa</source>
        <translation>масло %1 °C, %2 кПа</translation>
    </message>
    <message>
        <source>AT1IG1 - Aftertreatment 1 Intake Gas 1</source>
        <translation>AT1IG1 — Нейтрализатор 1, газ на входе 1</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Intake NOx</source>
        <translation>NOx на входе нейтрализатора 1</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Intake Percent Oxygen</source>
        <translation>Кислород на входе нейтрализатора 1, %</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Intake Gas Sensor Power In Range</source>
        <translation>Питание датчика газа на входе нейтрализатора 1 в норме</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Intake Gas Sensor at Temperature</source>
        <translation>Датчик газа на входе нейтрализатора 1 прогрет</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Intake NOx Reading Stable</source>
        <translation>Показание NOx на входе нейтрализатора 1 стабильно</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Intake Wide-Range Percent Oxygen Reading Stable</source>
        <translation>Широкодиапазонное показание кислорода на входе нейтрализатора 1 стабильно</translation>
    </message>
    <message>
        <source>NOx %1 ppm</source>
        <translation>NOx %1 ppm</translation>
    </message>
    <message>
        <source>AT1OG1 - Aftertreatment 1 Outlet Gas 1</source>
        <translation>AT1OG1 — Нейтрализатор 1, газ на выходе 1</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Outlet NOx</source>
        <translation>NOx на выходе нейтрализатора 1</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Outlet Percent Oxygen</source>
        <translation>Кислород на выходе нейтрализатора 1, %</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Outlet Gas Sensor Power In Range</source>
        <translation>Питание датчика газа на выходе нейтрализатора 1 в норме</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Outlet Gas Sensor at Temperature</source>
        <translation>Датчик газа на выходе нейтрализатора 1 прогрет</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Outlet NOx Reading Stable</source>
        <translation>Показание NOx на выходе нейтрализатора 1 стабильно</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Outlet Wide-Range Percent Oxygen Reading Stable</source>
        <translation>Широкодиапазонное показание кислорода на выходе нейтрализатора 1 стабильно</translation>
    </message>
    <message>
        <source>AT1T1I - Aftertreatment 1 Diesel Exhaust Fluid Tank 1 Information</source>
        <translation>AT1T1I — Нейтрализатор 1, бак мочевины (DEF) 1</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Diesel Exhaust Fluid Tank Level</source>
        <translation>Уровень в баке мочевины (DEF) 1</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Diesel Exhaust Fluid Tank Temperature</source>
        <translation>Температура в баке мочевины (DEF) 1</translation>
    </message>
    <message>
        <source>DEF %1 %, %2 C</source>
        <translation>DEF %1 %, %2 °C</translation>
    </message>
    <message>
        <source>AT1S - Aftertreatment 1 Service</source>
        <translation>AT1S — Обслуживание нейтрализатора 1</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Diesel Particulate Filter Soot Load Percent</source>
        <translation>Заполнение сажевого фильтра 1 сажей, %</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Diesel Particulate Filter Ash Load Percent</source>
        <translation>Заполнение сажевого фильтра 1 золой, %</translation>
    </message>
    <message>
        <source>Aftertreatment 1 Diesel Particulate Filter Time Since Last Active Regeneration</source>
        <translation>Время с последней активной регенерации сажевого фильтра 1</translation>
    </message>
    <message>
        <source>soot %1 %, ash %2 %</source>
        <translation>сажа %1 %, зола %2 %</translation>
    </message>
    <message>
        <source>TSC1 - Torque/Speed Control 1</source>
        <translation>TSC1 — Управление моментом и оборотами 1</translation>
    </message>
    <message>
        <source>Engine Override Control Mode</source>
        <translation>Режим внешнего управления двигателем</translation>
    </message>
    <message>
        <source>Engine Requested Speed Control Conditions</source>
        <translation>Условия регулирования запрошенных оборотов</translation>
    </message>
    <message>
        <source>Override Control Mode Priority</source>
        <translation>Приоритет внешнего управления</translation>
    </message>
    <message>
        <source>Engine Requested Speed/Speed Limit</source>
        <translation>Запрошенные обороты / предел оборотов</translation>
    </message>
    <message>
        <source>Engine Requested Torque/Torque Limit</source>
        <translation>Запрошенный момент / предел момента</translation>
    </message>
    <message>
        <source>ERC1 - Electronic Retarder Controller 1</source>
        <translation>ERC1 — Электронный контроллер замедлителя 1</translation>
    </message>
    <message>
        <source>Retarder Torque Mode</source>
        <translation>Режим момента замедлителя</translation>
    </message>
    <message>
        <source>Retarder Enable - Brake Assist Switch</source>
        <translation>Включение замедлителя — помощь торможению</translation>
    </message>
    <message>
        <source>Retarder Enable - Shift Assist Switch</source>
        <translation>Включение замедлителя — помощь переключению</translation>
    </message>
    <message>
        <source>Actual Retarder - Percent Torque</source>
        <translation>Фактический момент замедлителя, %</translation>
    </message>
    <message>
        <source>Intended Retarder Percent Torque</source>
        <translation>Намеченный момент замедлителя, %</translation>
    </message>
    <message>
        <source>Source Address of Controlling Device for Retarder Control</source>
        <translation>Адрес устройства, управляющего замедлителем</translation>
    </message>
    <message>
        <source>Actual Maximum Available Retarder - Percent Torque</source>
        <translation>Фактический максимально доступный момент замедлителя, %</translation>
    </message>
    <message>
        <source>EFL/P2 - Engine Fluid Level/Pressure 2</source>
        <translation>EFL/P2 — Уровни и давления жидкостей двигателя 2</translation>
    </message>
    <message>
        <source>Engine Injection Control Pressure</source>
        <translation>Управляющее давление впрыска</translation>
    </message>
    <message>
        <source>Engine Injector Metering Rail 1 Pressure</source>
        <translation>Давление в дозирующей рампе форсунок 1</translation>
    </message>
    <message>
        <source>Engine Injector Timing Rail 1 Pressure</source>
        <translation>Давление в рампе опережения форсунок 1</translation>
    </message>
    <message>
        <source>Engine Injector Metering Rail 2 Pressure</source>
        <translation>Давление в дозирующей рампе форсунок 2</translation>
    </message>
    <message>
        <source>ET2 - Engine Temperature 2</source>
        <translation>ET2 — Температуры двигателя 2</translation>
    </message>
    <message>
        <source>Engine Oil Temperature 2</source>
        <translation>Температура масла двигателя 2</translation>
    </message>
    <message>
        <source>Engine ECU Temperature</source>
        <translation>Температура блока управления двигателем</translation>
    </message>
    <message>
        <source>Engine Exhaust Gas Recirculation 1 Differential Pressure</source>
        <translation>Перепад давления рециркуляции ОГ 1</translation>
    </message>
    <message>
        <source>Engine Exhaust Gas Recirculation 1 Temperature</source>
        <translation>Температура рециркуляции ОГ 1</translation>
    </message>
    <message>
        <source>VH - Vehicle Hours</source>
        <translation>VH — Наработка машины</translation>
    </message>
    <message>
        <source>Total Vehicle Hours</source>
        <translation>Общая наработка машины</translation>
    </message>
    <message>
        <source>Total Power Takeoff Hours</source>
        <translation>Общая наработка ВОМ</translation>
    </message>
    <message>
        <source>FD1 - Fan Drive 1</source>
        <translation>FD1 — Привод вентилятора 1</translation>
    </message>
    <message>
        <source>Engine Fan 1 Estimated Percent Speed</source>
        <translation>Расчётная скорость вентилятора 1, %</translation>
    </message>
    <message>
        <source>Fan Drive State</source>
        <translation>Состояние привода вентилятора</translation>
    </message>
    <message>
        <source>Fan Speed</source>
        <translation>Частота вращения вентилятора</translation>
    </message>
    <message>
        <source>TD - Time/Date</source>
        <translation>TD — Время и дата</translation>
    </message>
    <message>
        <source>Seconds</source>
        <translation>Секунды</translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>Минуты</translation>
    </message>
    <message>
        <source>Hours</source>
        <translation>Часы</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Месяц</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>День</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Год</translation>
    </message>
    <message>
        <source>Local minute offset</source>
        <translation>Местное смещение, минуты</translation>
    </message>
    <message>
        <source>Local hour offset</source>
        <translation>Местное смещение, часы</translation>
    </message>
    <message>
        <source>VW - Vehicle Weight</source>
        <translation>VW — Масса машины</translation>
    </message>
    <message>
        <source>Axle Location</source>
        <translation>Положение оси</translation>
    </message>
    <message>
        <source>Axle Weight</source>
        <translation>Нагрузка на ось</translation>
    </message>
    <message>
        <source>Trailer Weight</source>
        <translation>Масса прицепа</translation>
    </message>
    <message>
        <source>Cargo Weight</source>
        <translation>Масса груза</translation>
    </message>
    <message>
        <source>PTO - Power Takeoff Information</source>
        <translation>PTO — Сведения о ВОМ</translation>
    </message>
    <message>
        <source>Power Takeoff Oil Temperature</source>
        <translation>Температура масла ВОМ</translation>
    </message>
    <message>
        <source>Power Takeoff Speed</source>
        <translation>Частота вращения ВОМ</translation>
    </message>
    <message>
        <source>Power Takeoff Set Speed</source>
        <translation>Заданная частота вращения ВОМ</translation>
    </message>
    <message>
        <source>Engine PTO Governor Enable Switch</source>
        <translation>Выключатель разрешения регулятора ВОМ</translation>
    </message>
    <message>
        <source>Engine PTO Governor Set Switch</source>
        <translation>Выключатель задания регулятора ВОМ</translation>
    </message>
    <message>
        <source>Engine PTO Governor Coast/Decelerate Switch</source>
        <translation>Выключатель «накат/замедление» регулятора ВОМ</translation>
    </message>
    <message>
        <source>Engine PTO Governor Resume Switch</source>
        <translation>Выключатель «возобновить» регулятора ВОМ</translation>
    </message>
    <message>
        <source>Engine PTO Governor Accelerate Switch</source>
        <translation>Выключатель «ускорить» регулятора ВОМ</translation>
    </message>
    <message>
        <source>HRW - High Resolution Wheel Speed</source>
        <translation>HRW — Скорость колёс высокого разрешения</translation>
    </message>
    <message>
        <source>Front Axle, Left Wheel Speed</source>
        <translation>Передняя ось, скорость левого колеса</translation>
    </message>
    <message>
        <source>Front axle, right wheel speed</source>
        <translation>Передняя ось, скорость правого колеса</translation>
    </message>
    <message>
        <source>Rear axle, left wheel speed</source>
        <translation>Задняя ось, скорость левого колеса</translation>
    </message>
    <message>
        <source>Rear axle, right wheel speed</source>
        <translation>Задняя ось, скорость правого колеса</translation>
    </message>
    <message>
        <source>EBC2 - Wheel Speed Information</source>
        <translation>EBC2 — Скорости колёс</translation>
    </message>
    <message>
        <source>Front Axle Speed</source>
        <translation>Скорость передней оси</translation>
    </message>
    <message>
        <source>Relative Speed; Front Axle, Left Wheel</source>
        <translation>Относительная скорость: передняя ось, левое колесо</translation>
    </message>
    <message>
        <source>Relative Speed; Front Axle, Right Wheel</source>
        <translation>Относительная скорость: передняя ось, правое колесо</translation>
    </message>
    <message>
        <source>Relative Speed; Rear Axle #1, Left Wheel</source>
        <translation>Относительная скорость: задняя ось №1, левое колесо</translation>
    </message>
    <message>
        <source>Relative Speed; Rear Axle #1, Right Wheel</source>
        <translation>Относительная скорость: задняя ось №1, правое колесо</translation>
    </message>
    <message>
        <source>RF - Retarder Fluids</source>
        <translation>RF — Жидкости замедлителя</translation>
    </message>
    <message>
        <source>Hydraulic Retarder Pressure</source>
        <translation>Давление гидрозамедлителя</translation>
    </message>
    <message>
        <source>Hydraulic Retarder Oil Temperature</source>
        <translation>Температура масла гидрозамедлителя</translation>
    </message>
    <message>
        <source>TIRE - Tire Condition</source>
        <translation>TIRE — Состояние шин</translation>
    </message>
    <message>
        <source>Tire Location</source>
        <translation>Положение шины</translation>
    </message>
    <message>
        <source>Tire Pressure</source>
        <translation>Давление в шине</translation>
    </message>
    <message>
        <source>Tire Temperature</source>
        <translation>Температура шины</translation>
    </message>
    <message>
        <source>CTI Wheel Sensor Status</source>
        <translation>Состояние датчика колеса СЦПШ</translation>
    </message>
    <message>
        <source>CTI Tire Status</source>
        <translation>Состояние шины СЦПШ</translation>
    </message>
    <message>
        <source>CTI Wheel End Electrical Fault</source>
        <translation>Электрическая неисправность колёсного узла СЦПШ</translation>
    </message>
    <message>
        <source>Tire Air Leakage Rate</source>
        <translation>Скорость утечки воздуха из шины</translation>
    </message>
    <message>
        <source>CVW - Combination Vehicle Weight</source>
        <translation>CVW — Масса автопоезда</translation>
    </message>
    <message>
        <source>Powered Vehicle Weight</source>
        <translation>Масса тягача</translation>
    </message>
    <message>
        <source>Gross Combination Vehicle Weight</source>
        <translation>Полная масса автопоезда</translation>
    </message>
    <message>
        <source>AIR1 - Air Supply Pressure</source>
        <translation>AIR1 — Давление в пневмосистеме</translation>
    </message>
    <message>
        <source>Pneumatic Supply Pressure</source>
        <translation>Давление питания пневмосистемы</translation>
    </message>
    <message>
        <source>Parking and/or Trailer Air Pressure</source>
        <translation>Давление стояночного тормоза и/или прицепа</translation>
    </message>
    <message>
        <source>Service Brake Circuit 1 Air Pressure</source>
        <translation>Давление в контуре рабочего тормоза 1</translation>
    </message>
    <message>
        <source>Service Brake Circuit 2 Air Pressure</source>
        <translation>Давление в контуре рабочего тормоза 2</translation>
    </message>
    <message>
        <source>Auxiliary Equipment Supply Pressure</source>
        <translation>Давление питания вспомогательного оборудования</translation>
    </message>
    <message>
        <source>Air Suspension Supply Pressure</source>
        <translation>Давление питания пневмоподвески</translation>
    </message>
    <message>
        <source>Air Compressor Status</source>
        <translation>Состояние компрессора</translation>
    </message>
    <message>
        <source>OEL - Operators External Light Controls</source>
        <translation>OEL — Органы управления наружным светом</translation>
    </message>
    <message>
        <source>Work Light Switch</source>
        <translation>Выключатель рабочего света</translation>
    </message>
    <message>
        <source>Main Light Switch</source>
        <translation>Главный выключатель света</translation>
    </message>
    <message>
        <source>Turn Signal Switch</source>
        <translation>Переключатель указателей поворота</translation>
    </message>
    <message>
        <source>Hazard Light Switch</source>
        <translation>Выключатель аварийной сигнализации</translation>
    </message>
    <message>
        <source>High-Low Beam Switch</source>
        <translation>Переключатель дальнего и ближнего света</translation>
    </message>
    <message>
        <source>TC1 - Transmission Control 1</source>
        <translation>TC1 — Управление трансмиссией 1</translation>
    </message>
    <message>
        <source>Transmission Gear Shift Inhibit Request</source>
        <translation>Запрос запрета переключения передач</translation>
    </message>
    <message>
        <source>Transmission Torque Converter Lockup Disable Request</source>
        <translation>Запрос запрета блокировки гидротрансформатора</translation>
    </message>
    <message>
        <source>Disengage Driveline Request</source>
        <translation>Запрос разъединения трансмиссии</translation>
    </message>
    <message>
        <source>Requested Percent Clutch Slip</source>
        <translation>Запрошенная пробуксовка сцепления, %</translation>
    </message>
    <message>
        <source>Transmission Requested Gear</source>
        <translation>Запрошенная передача</translation>
    </message>
    <message>
        <source>Engine #1</source>
        <translation>Двигатель №1</translation>
    </message>
    <message>
        <source>Engine #2</source>
        <translation>Двигатель №2</translation>
    </message>
    <message>
        <source>Transmission #1</source>
        <translation>Трансмиссия №1</translation>
    </message>
    <message>
        <source>Brakes - System Controller</source>
        <translation>Тормоза — контроллер системы</translation>
    </message>
    <message>
        <source>Retarder, Engine (Exhaust, Engine Compression)</source>
        <translation>Замедлитель моторный (выпускной, компрессионный)</translation>
    </message>
    <message>
        <source>Retarder, Driveline</source>
        <translation>Замедлитель трансмиссионный</translation>
    </message>
    <message>
        <source>Instrument Cluster #1</source>
        <translation>Панель приборов №1</translation>
    </message>
    <message>
        <source>Body Controller</source>
        <translation>Контроллер кузова</translation>
    </message>
    <message>
        <source>Tire Pressure Controller</source>
        <translation>Контроллер давления в шинах</translation>
    </message>
    <message>
        <source>Aftertreatment #1 system gas intake</source>
        <translation>Нейтрализатор №1, газ на входе</translation>
    </message>
    <message>
        <source>Aftertreatment #1 system gas outlet</source>
        <translation>Нейтрализатор №1, газ на выходе</translation>
    </message>
    <message>
        <source>Trip Recorder (Tachograph)</source>
        <translation>Регистратор поездок (тахограф)</translation>
    </message>
    <message>
        <source>J1939 control unit (diagnostics only)</source>
        <translation>Блок управления J1939 (только диагностика)</translation>
    </message>
    <message>
        <source>11-bit node (two 16-bit values)</source>
        <translation>11-битный узел (два 16-битных значения)</translation>
    </message>
    <message>
        <source>Value 1</source>
        <translation>Значение 1</translation>
    </message>
    <message>
        <source>Value 2</source>
        <translation>Значение 2</translation>
    </message>
    <message>
        <source>SAE joystick</source>
        <translation>Джойстик SAE</translation>
    </message>
    <message>
        <source>Panel, controller and engine</source>
        <translation>Пульт, контроллер и двигатель</translation>
    </message>
    <message>
        <source>External control panel</source>
        <translation>Выносной пульт управления</translation>
    </message>
    <message>
        <source>Controller</source>
        <translation>Контроллер</translation>
    </message>
    <message>
        <source>DM - Active Diagnostic Trouble Codes</source>
        <translation>DM — Активные диагностические коды неисправностей</translation>
    </message>
    <message>
        <source>ECU Identification</source>
        <translation>Идентификация ЭБУ</translation>
    </message>
    <message>
        <source>Soft</source>
        <translation>Идентификация ПО</translation>
    </message>
    <message>
        <source>Memory Access Tool</source>
        <translation>Доступ к памяти</translation>
    </message>
    <message>
        <source>Engine Configuration 1</source>
        <translation>Конфигурация двигателя 1</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source> kPa</source>
        <translation> кПа</translation>
    </message>
    <message>
        <source> °C</source>
        <translation> °C</translation>
    </message>
    <message>
        <source> km/h</source>
        <translation> км/ч</translation>
    </message>
    <message>
        <source> rpm</source>
        <translation> об/мин</translation>
    </message>
    <message>
        <source> kg</source>
        <translation> кг</translation>
    </message>
    <message>
        <source> h</source>
        <translation> ч</translation>
    </message>
    <message>
        <source> MPa</source>
        <translation> МПа</translation>
    </message>
    <message>
        <source> V</source>
        <translation> В</translation>
    </message>
    <message>
        <source> s</source>
        <translation> с</translation>
    </message>
    <message>
        <source> ppm</source>
        <translation> ppm</translation>
    </message>
    <message>
        <source> min</source>
        <translation> мин</translation>
    </message>
    <message>
        <source> km</source>
        <translation> км</translation>
    </message>
    <message>
        <source> km/L</source>
        <translation> км/л</translation>
    </message>
    <message>
        <source> L</source>
        <translation> л</translation>
    </message>
    <message>
        <source> A</source>
        <translation> А</translation>
    </message>
    <message>
        <source> r</source>
        <translation> об</translation>
    </message>
    <message>
        <source> Pa/s</source>
        <translation> Па/с</translation>
    </message>
    <message>
        <source> L/h</source>
        <translation> л/ч</translation>
    </message>
    <message>
        <source>00 - Off</source>
        <translation>00 - Выключено</translation>
    </message>
    <message>
        <source>01 - On</source>
        <translation>01 - Включено</translation>
    </message>
    <message>
        <source>10 - Error</source>
        <translation>10 - Ошибка</translation>
    </message>
    <message>
        <source>11 - Not available</source>
        <translation>11 - Нет данных</translation>
    </message>
    <message>
        <source>How much hotter the oil runs than the coolant (computed)</source>
        <translation>Насколько масло горячее охлаждающей жидкости (расчёт)</translation>
    </message>
    <message>
        <source>DM - Previously Active Diagnostic Trouble Codes</source>
        <translation>DM - Ранее активные диагностические коды неисправностей</translation>
    </message>
    <message>
        <source>DM - Diagnostic Readiness 1</source>
        <translation>DM - Диагностическая готовность 1</translation>
    </message>
    <message>
        <source>Acknowledgement</source>
        <translation>Подтверждение</translation>
    </message>
    <message>
        <source>DM11/DM3 - Clear Diagnostic Trouble Codes</source>
        <translation>DM11/DM3 — Стирание диагностических кодов неисправностей</translation>
    </message>
    <message>
        <source>Component Identification</source>
        <translation>Идентификация компонента</translation>
    </message>
    <message>
        <source>Vehicle Identification</source>
        <translation>Идентификация машины</translation>
    </message>
    <message>
        <source>DM19 - Calibration Information</source>
        <translation>DM19 - Сведения о калибровках</translation>
    </message>
    <message>
        <source>DM4 - Freeze Frame Parameters</source>
        <translation>DM4 - Параметры стоп-кадра</translation>
    </message>
    <message>
        <source>DM24 - SPN Support</source>
        <translation>DM24 - Поддержка SPN</translation>
    </message>
    <message>
        <source>DM25 - Expanded Freeze Frame</source>
        <translation>DM25 - Расширенный стоп-кадр</translation>
    </message>
</context>
<context>
    <name>DesktopFiles</name>
    <message>
        <source>No program on this computer opens %1; it is there to copy or open by hand</source>
        <translation>На этом компьютере нет программы, открывающей %1; файл можно скопировать или открыть вручную</translation>
    </message>
</context>
<context>
    <name>DetailsDocks</name>
    <message>
        <source>Details</source>
        <translation>Подробности</translation>
    </message>
</context>
<context>
    <name>Deviation</name>
    <message>
        <source>missing</source>
        <translation>отсутствует</translation>
    </message>
    <message>
        <source>silent</source>
        <translation>молчит</translation>
    </message>
    <message>
        <source>late</source>
        <translation>запаздывает</translation>
    </message>
    <message>
        <source>too fast</source>
        <translation>слишком часто</translation>
    </message>
    <message>
        <source>unexpected unit</source>
        <translation>неожиданный блок</translation>
    </message>
    <message>
        <source>unexpected group</source>
        <translation>неожиданная группа</translation>
    </message>
    <message>
        <source>at another address</source>
        <translation>на другом адресе</translation>
    </message>
    <message>
        <source>out of range</source>
        <translation>вне диапазона</translation>
    </message>
    <message>
        <source>error indicator</source>
        <translation>признак ошибки</translation>
    </message>
    <message>
        <source>trouble code</source>
        <translation>код неисправности</translation>
    </message>
    <message>
        <source>other identification</source>
        <translation>другая идентификация</translation>
    </message>
    <message>
        <source>transport aborted</source>
        <translation>транспорт прерван</translation>
    </message>
    <message>
        <source>transport timed out</source>
        <translation>тайм-аут транспорта</translation>
    </message>
    <message>
        <source>bus load</source>
        <translation>загрузка шины</translation>
    </message>
    <message>
        <source>%1–%2 s  %3: %4</source>
        <translation>%1–%2 с  %3: %4</translation>
    </message>
    <message>
        <source> (rule: %1)</source>
        <translation> (правило: %1)</translation>
    </message>
    <message>
        <source> (still at the end)</source>
        <translation> (продолжается в конце)</translation>
    </message>
    <message>
        <source>switched off</source>
        <translation>выключен</translation>
    </message>
</context>
<context>
    <name>DeviationListModel</name>
    <message>
        <source>%1 …</source>
        <translation>%1 …</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>Start, s</source>
        <translation>Начало, с</translation>
    </message>
    <message>
        <source>End, s</source>
        <translation>Конец, с</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Блок</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>Функция</translation>
    </message>
    <message>
        <source>Deviation</source>
        <translation>Отклонение</translation>
    </message>
    <message>
        <source>Observed</source>
        <translation>Наблюдалось</translation>
    </message>
    <message>
        <source>Rule</source>
        <translation>Правило</translation>
    </message>
</context>
<context>
    <name>DeviceConstructorModel</name>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
</context>
<context>
    <name>DeviceTest</name>
    <message>
        <source>Output %1: no output state to check</source>
        <translation>Выход %1: нет состояния выхода для проверки</translation>
    </message>
    <message>
        <source>(not found)</source>
        <translation>(не найден)</translation>
    </message>
    <message>
        <source>Setting output %1 off</source>
        <translation>Выключение выхода %1</translation>
    </message>
    <message>
        <source>Setting output %1 on</source>
        <translation>Включение выхода %1</translation>
    </message>
    <message>
        <source>Button %1: not a button of the units under test</source>
        <translation>Кнопка %1: не кнопка проверяемых устройств</translation>
    </message>
    <message>
        <source>%1 - pressed</source>
        <translation>%1 - нажата</translation>
    </message>
    <message>
        <source>%1 - released</source>
        <translation>%1 - отпущена</translation>
    </message>
    <message>
        <source>Input %1: no input state to check</source>
        <translation>Вход %1: нет состояния входа для проверки</translation>
    </message>
    <message>
        <source>Acceptance test finished: %1</source>
        <translation>Приёмочный тест завершён: %1</translation>
    </message>
    <message>
        <source>Acceptance test stopped: %1</source>
        <translation>Приёмочный тест остановлен: %1</translation>
    </message>
</context>
<context>
    <name>DeviceTestDialog</name>
    <message>
        <source>Test</source>
        <translation>Тест</translation>
    </message>
    <message>
        <source>Test name</source>
        <translation>Название теста</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>Test Description</source>
        <translation>Описание теста</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>Skip test</source>
        <translation>Пропустить тест</translation>
    </message>
    <message>
        <source>Save report…</source>
        <translation>Сохранить отчёт…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Not found: %1</source>
        <translation>Не найдено: %1</translation>
    </message>
    <message>
        <source>This test has no steps</source>
        <translation>В этом тесте нет шагов</translation>
    </message>
    <message>
        <source>Cancel the test? Steps not yet done are reported as not run.</source>
        <translation>Прервать тест? Невыполненные шаги попадут в отчёт как не выполненные.</translation>
    </message>
    <message>
        <source>Test complete</source>
        <translation>Тест завершён</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Готово</translation>
    </message>
    <message>
        <source>Report saved: %1</source>
        <translation>Отчёт сохранён: %1</translation>
    </message>
    <message>
        <source>The report could not be saved: %1</source>
        <translation>Не удалось сохранить отчёт: %1</translation>
    </message>
    <message>
        <source>Save report</source>
        <translation>Сохранить отчёт</translation>
    </message>
    <message>
        <source>Test report (*.csv)</source>
        <translation>Отчёт о тесте (*.csv)</translation>
    </message>
    <message>
        <source>%v of %m steps</source>
        <translation>%v из %m шагов</translation>
    </message>
    <message>
        <source>Step %1 of %2: %3</source>
        <translation>Шаг %1 из %2: %3</translation>
    </message>
</context>
<context>
    <name>DeviceTestReport</name>
    <message>
        <source>Passed</source>
        <translation>Пройден</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Пропущен</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Не пройден</translation>
    </message>
    <message>
        <source>Not run</source>
        <translation>Не выполнялся</translation>
    </message>
    <message>
        <source>%1 passed, %2 skipped, %3 failed, %4 not run</source>
        <translation>пройдено: %1, пропущено: %2, не пройдено: %3, не выполнялось: %4</translation>
    </message>
    <message>
        <source>The report&apos;s CSV and text would both be %1</source>
        <translation>CSV и текст отчёта оба оказались бы файлом %1</translation>
    </message>
    <message>
        <source>Acceptance test report saved: %1</source>
        <translation>Отчёт приёмочного теста сохранён: %1</translation>
    </message>
</context>
<context>
    <name>DtcArrayParameter</name>
    <message>
        <source>One of the safety-subsystem sensors has failed, all movements are blocked</source>
        <translation>Отказ одного из датчиков подсистемы безопасности, все движения запрещены</translation>
    </message>
    <message>
        <source>Working platform at rated load</source>
        <translation>Номинальная загрузка рабочей платформы</translation>
    </message>
    <message>
        <source>Working platform overloaded</source>
        <translation>Перегрузка рабочей платформы</translation>
    </message>
    <message>
        <source>Approaching maximum outreach</source>
        <translation>Приближение к максимальному вылету</translation>
    </message>
    <message>
        <source>Maximum permissible outreach exceeded</source>
        <translation>Превышение максимально допустимого вылет</translation>
    </message>
    <message>
        <source>Approaching the cabin zone</source>
        <translation>Приближение к зоне кабины</translation>
    </message>
    <message>
        <source>Entering the cabin zone</source>
        <translation>Вход в зону кабины</translation>
    </message>
    <message>
        <source>%1×</source>
        <translation>%1×</translation>
    </message>
</context>
<context>
    <name>ECCFSChemeTreeItem</name>
    <message>
        <source>Start</source>
        <translation>Старт</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Calibration running</source>
        <translation>Калибровка идёт</translation>
    </message>
    <message>
        <source>Calibration stopped</source>
        <translation>Калибровка остановлена</translation>
    </message>
</context>
<context>
    <name>EcuidFunction</name>
    <message>
        <source>ECU Identification Information</source>
        <translation>Идентификация ЭБУ</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>ECU identification</source>
        <translation>Идентификация ЭБУ</translation>
    </message>
</context>
<context>
    <name>Emr2EngineStopRequestFunction</name>
    <message>
        <source>EMR2 - Engine Stop Request</source>
        <translation>EMR2 - запрос останова двигателя</translation>
    </message>
</context>
<context>
    <name>EngineConfigurationFunction</name>
    <message>
        <source>Idle speed</source>
        <translation>Обороты холостого хода</translation>
    </message>
    <message>
        <source>Engine Speed at Idle, Point 1</source>
        <translation>Обороты двигателя на холостом ходу, точка 1</translation>
    </message>
    <message>
        <source>Speed 2</source>
        <translation>Обороты 2</translation>
    </message>
    <message>
        <source>Engine Speed at Point 2</source>
        <translation>Обороты двигателя в точке 2</translation>
    </message>
    <message>
        <source>Speed 3</source>
        <translation>Обороты 3</translation>
    </message>
    <message>
        <source>Engine Speed at Point 3</source>
        <translation>Обороты двигателя в точке 3</translation>
    </message>
    <message>
        <source>Speed 4</source>
        <translation>Обороты 4</translation>
    </message>
    <message>
        <source>Engine Speed at Point 4</source>
        <translation>Обороты двигателя в точке 4</translation>
    </message>
    <message>
        <source>Speed 5</source>
        <translation>Обороты 5</translation>
    </message>
    <message>
        <source>Engine Speed at Point 5</source>
        <translation>Обороты двигателя в точке 5</translation>
    </message>
    <message>
        <source>High idle speed</source>
        <translation>Максимальные обороты холостого хода</translation>
    </message>
    <message>
        <source>Engine Speed at High Idle, Point 6</source>
        <translation>Максимальные обороты холостого хода, точка 6</translation>
    </message>
    <message>
        <source>Maximum override speed</source>
        <translation>Максимальные кратковременные обороты</translation>
    </message>
    <message>
        <source>Engine Maximum Momentary Override Speed, Point 7</source>
        <translation>Максимальные кратковременные обороты двигателя, точка 7</translation>
    </message>
    <message>
        <source>Speed extended range upper</source>
        <translation>Верхний предел расширенного диапазона оборотов</translation>
    </message>
    <message>
        <source>Engine Extended Range Requested Speed Control Range Upper Limit</source>
        <translation>Верхний предел расширенного диапазона задания оборотов</translation>
    </message>
    <message>
        <source>Speed range lower</source>
        <translation>Нижний предел оборотов</translation>
    </message>
    <message>
        <source>Engine Requested Speed Control Range Lower Limit</source>
        <translation>Нижний предел диапазона задания оборотов</translation>
    </message>
    <message>
        <source>Speed range upper</source>
        <translation>Верхний предел оборотов</translation>
    </message>
    <message>
        <source>Engine Requested Speed Control Range Upper Limit</source>
        <translation>Верхний предел диапазона задания оборотов</translation>
    </message>
    <message>
        <source>Idle torque %</source>
        <translation>Момент на холостом ходу, %</translation>
    </message>
    <message>
        <source>Engine Percent Torque At Idle, Point 1</source>
        <translation>Момент двигателя на холостом ходу в процентах, точка 1</translation>
    </message>
    <message>
        <source>Torque % 2</source>
        <translation>Момент 2, %</translation>
    </message>
    <message>
        <source>Engine Percent Torque At Point 2</source>
        <translation>Момент двигателя в процентах в точке 2</translation>
    </message>
    <message>
        <source>Torque % 3</source>
        <translation>Момент 3, %</translation>
    </message>
    <message>
        <source>Engine Percent Torque At Point 3</source>
        <translation>Момент двигателя в процентах в точке 3</translation>
    </message>
    <message>
        <source>Torque % 4</source>
        <translation>Момент 4, %</translation>
    </message>
    <message>
        <source>Engine Percent Torque At Point 4</source>
        <translation>Момент двигателя в процентах в точке 4</translation>
    </message>
    <message>
        <source>Torque % 5</source>
        <translation>Момент 5, %</translation>
    </message>
    <message>
        <source>Engine Percent Torque At Point 5</source>
        <translation>Момент двигателя в процентах в точке 5</translation>
    </message>
    <message>
        <source>Torque range lower</source>
        <translation>Нижний предел момента</translation>
    </message>
    <message>
        <source>Engine Requested Torque Control Range Lower Limit</source>
        <translation>Нижний предел диапазона задания момента</translation>
    </message>
    <message>
        <source>Torque range upper</source>
        <translation>Верхний предел момента</translation>
    </message>
    <message>
        <source>Engine Requested Torque Control Range Upper Limit</source>
        <translation>Верхний предел диапазона задания момента</translation>
    </message>
    <message>
        <source>Engine Gain</source>
        <translation>Коэффициент регулятора</translation>
    </message>
    <message>
        <source>Engine Gain (Kp) Of The Endspeed Governor</source>
        <translation>Коэффициент (Kp) регулятора предельных оборотов</translation>
    </message>
    <message>
        <source>Reference Torque</source>
        <translation>Опорный момент</translation>
    </message>
    <message>
        <source>Engine Reference Torque</source>
        <translation>Опорный момент двигателя</translation>
    </message>
    <message>
        <source>Override limit</source>
        <translation>Предел превышения</translation>
    </message>
    <message>
        <source>Engine Maximum Momentary Override Time Limit</source>
        <translation>Предельное время кратковременного превышения</translation>
    </message>
    <message>
        <source>Inertia</source>
        <translation>Инерция</translation>
    </message>
    <message>
        <source>Engine Moment of Inertia</source>
        <translation>Момент инерции двигателя</translation>
    </message>
    <message>
        <source>Torque limit</source>
        <translation>Предел момента</translation>
    </message>
    <message>
        <source>Engine Default Torque Limit</source>
        <translation>Предел момента двигателя по умолчанию</translation>
    </message>
    <message>
        <source>Engine Configuration 1</source>
        <translation>Конфигурация двигателя 1</translation>
    </message>
</context>
<context>
    <name>EngineControllerCalibrationFunction</name>
    <message>
        <source>Engine Controller Calibration</source>
        <translation>Калибровка контроллера двигателя</translation>
    </message>
</context>
<context>
    <name>ExpectationBox</name>
    <message>
        <source>Expected</source>
        <translation>Ожидается</translation>
    </message>
    <message>
        <source>What the bus check expects of this item; empty fields keep its default rules</source>
        <translation>Что проверка шины ожидает от этого элемента; для пустых полей действуют правила по умолчанию</translation>
    </message>
    <message>
        <source>As the scheme says</source>
        <translation>Как в схеме</translation>
    </message>
    <message>
        <source>Present</source>
        <translation>Присутствует</translation>
    </message>
    <message>
        <source>Absent</source>
        <translation>Отсутствует</translation>
    </message>
    <message>
        <source>May fall silent</source>
        <translation>Может замолкать</translation>
    </message>
    <message>
        <source>Presence</source>
        <translation>Присутствие</translation>
    </message>
    <message>
        <source>late and silent rules</source>
        <translation>правила опоздания и молчания</translation>
    </message>
    <message>
        <source>ms ±</source>
        <translation>мс ±</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Период</translation>
    </message>
    <message>
        <source>Sent on request or on a change</source>
        <translation>Передаётся по запросу или при изменении</translation>
    </message>
    <message>
        <source>any</source>
        <translation>любое</translation>
    </message>
    <message>
        <source>NAME (hex)</source>
        <translation>NAME (hex)</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>ПО</translation>
    </message>
    <message>
        <source>SPN/FMI, e.g. 100/1, 110/0</source>
        <translation>SPN/FMI, например 100/1, 110/0</translation>
    </message>
    <message>
        <source>Active trouble codes a healthy unit may show; any other deviates</source>
        <translation>Активные коды неисправностей, допустимые для исправного блока; любой другой — отклонение</translation>
    </message>
    <message>
        <source>Allowed codes</source>
        <translation>Допустимые коды</translation>
    </message>
    <message>
        <source>PGN in hex, e.g. FEF1, FF35</source>
        <translation>PGN в hex, например FEF1, FF35</translation>
    </message>
    <message>
        <source>Parameter groups the unit sends that none of its functions describes</source>
        <translation>Группы параметров, которые блок передаёт, но ни одна его функция не описывает</translation>
    </message>
    <message>
        <source>Other groups</source>
        <translation>Прочие группы</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>Параметр</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Минимум</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Максимум</translation>
    </message>
    <message>
        <source>Not available allowed</source>
        <translation>Допустимо «нет данных»</translation>
    </message>
    <message>
        <source>Error allowed</source>
        <translation>Допустима ошибка</translation>
    </message>
    <message>
        <source>Empty limits leave the value free; a value the sender flags as an error deviates unless allowed</source>
        <translation>Без границ значение свободно; значение, помеченное отправителем как ошибка, — отклонение, если ошибка не допущена</translation>
    </message>
    <message>
        <source>own: %1 ms</source>
        <translation>свой: %1 мс</translation>
    </message>
    <message>
        <source>own period</source>
        <translation>свой период</translation>
    </message>
    <message>
        <source>No expectation of its own: the bus check&apos;s default rules apply</source>
        <translation>Собственных ожиданий нет: действуют правила проверки шины по умолчанию</translation>
    </message>
    <message>
        <source>%1: give both limits or neither</source>
        <translation>%1: укажите обе границы или ни одной</translation>
    </message>
    <message>
        <source>%1: the limits must be numbers</source>
        <translation>%1: границы должны быть числами</translation>
    </message>
    <message>
        <source>%1: the minimum is above the maximum</source>
        <translation>%1: минимум больше максимума</translation>
    </message>
    <message>
        <source>The period or the tolerance is out of range</source>
        <translation>Период или допуск вне допустимого диапазона</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a trouble code SPN/FMI</source>
        <translation>«%1» — не код неисправности SPN/FMI</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a parameter group number in hex</source>
        <translation>«%1» — не номер группы параметров в hex</translation>
    </message>
    <message>
        <source>Applied: the bus check expects this from now on</source>
        <translation>Применено: проверка шины теперь ожидает это</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>н/д</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>FilterDockWidget</name>
    <message>
        <source>Filters</source>
        <translation>Фильтры</translation>
    </message>
    <message>
        <source>Dispatch filter</source>
        <translation>Фильтр обработки</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Priority filter</source>
        <translation>Фильтр приоритета</translation>
    </message>
    <message>
        <source>Id filter</source>
        <translation>Фильтр идентификатора</translation>
    </message>
    <message>
        <source>Priority:PDUF:PDUS:Address</source>
        <translation>Приоритет:PDUF:PDUS:Адрес</translation>
    </message>
    <message>
        <source>Mask</source>
        <translation>Маска</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>Target filter</source>
        <translation>Фильтр цели</translation>
    </message>
</context>
<context>
    <name>FlashLog</name>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>Не удаётся открыть %1: %2</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удаётся записать %1: %2</translation>
    </message>
</context>
<context>
    <name>FmiTexts</name>
    <message>
        <source>Data valid but above normal operational range, most severe level</source>
        <translation>Данные достоверны, но выше нормального рабочего диапазона, наиболее серьёзный уровень</translation>
    </message>
    <message>
        <source>Data valid but below normal operational range, most severe level</source>
        <translation>Данные достоверны, но ниже нормального рабочего диапазона, наиболее серьёзный уровень</translation>
    </message>
    <message>
        <source>Data erratic, intermittent or incorrect</source>
        <translation>Данные неустойчивы, прерывисты или неверны</translation>
    </message>
    <message>
        <source>Voltage above normal, or shorted to high source</source>
        <translation>Напряжение выше нормы или замыкание на плюс</translation>
    </message>
    <message>
        <source>Voltage below normal, or shorted to low source</source>
        <translation>Напряжение ниже нормы или замыкание на минус</translation>
    </message>
    <message>
        <source>Current below normal or open circuit</source>
        <translation>Ток ниже нормы или обрыв цепи</translation>
    </message>
    <message>
        <source>Current above normal or grounded circuit</source>
        <translation>Ток выше нормы или замыкание на массу</translation>
    </message>
    <message>
        <source>Mechanical system not responding or out of adjustment</source>
        <translation>Механическая система не отвечает или разрегулирована</translation>
    </message>
    <message>
        <source>Abnormal frequency or pulse width or period</source>
        <translation>Ненормальная частота, длительность импульса или период</translation>
    </message>
    <message>
        <source>Abnormal update rate</source>
        <translation>Ненормальная частота обновления</translation>
    </message>
    <message>
        <source>Abnormal rate of change</source>
        <translation>Ненормальная скорость изменения</translation>
    </message>
    <message>
        <source>Root cause not known</source>
        <translation>Причина неизвестна</translation>
    </message>
    <message>
        <source>Bad intelligent device or component</source>
        <translation>Неисправно интеллектуальное устройство или компонент</translation>
    </message>
    <message>
        <source>Out of calibration</source>
        <translation>Нарушена калибровка</translation>
    </message>
    <message>
        <source>Special instructions</source>
        <translation>Особые указания</translation>
    </message>
    <message>
        <source>Data valid but above normal operating range, least severe level</source>
        <translation>Данные достоверны, но выше нормального рабочего диапазона, наименее серьёзный уровень</translation>
    </message>
    <message>
        <source>Data valid but above normal operating range, moderately severe level</source>
        <translation>Данные достоверны, но выше нормального рабочего диапазона, средний уровень</translation>
    </message>
    <message>
        <source>Data valid but below normal operating range, least severe level</source>
        <translation>Данные достоверны, но ниже нормального рабочего диапазона, наименее серьёзный уровень</translation>
    </message>
    <message>
        <source>Data valid but below normal operating range, moderately severe level</source>
        <translation>Данные достоверны, но ниже нормального рабочего диапазона, средний уровень</translation>
    </message>
    <message>
        <source>Received network data in error</source>
        <translation>Ошибочные данные, полученные по сети</translation>
    </message>
    <message>
        <source>Data drifted high</source>
        <translation>Дрейф данных вверх</translation>
    </message>
    <message>
        <source>Data drifted low</source>
        <translation>Дрейф данных вниз</translation>
    </message>
    <message>
        <source>Reserved for SAE assignment</source>
        <translation>Зарезервировано SAE</translation>
    </message>
    <message>
        <source>Condition exists</source>
        <translation>Условие выполнено</translation>
    </message>
</context>
<context>
    <name>FramTestSequence</name>
    <message>
        <source>get tune value from controller</source>
        <translation>чтение значения настройки из контроллера</translation>
    </message>
    <message>
        <source>wait for reply</source>
        <translation>ожидание ответа</translation>
    </message>
    <message>
        <source>set new tune variable value</source>
        <translation>запись нового значения настройки</translation>
    </message>
    <message>
        <source>Wait for reply from controller</source>
        <translation>Ожидание ответа контроллера</translation>
    </message>
    <message>
        <source>Wait for reply / match values</source>
        <translation>Ожидание ответа / сравнение значений</translation>
    </message>
    <message>
        <source>restore tune variable value</source>
        <translation>восстановление значения настройки</translation>
    </message>
</context>
<context>
    <name>FrameLogWriter</name>
    <message>
        <source>Writing %1 failed: %2</source>
        <translation>Запись в %1 не удалась: %2</translation>
    </message>
</context>
<context>
    <name>FreezeFrame</name>
    <message>
        <source>Torque mode</source>
        <translation>Режим момента</translation>
    </message>
    <message>
        <source>Boost pressure</source>
        <translation>Давление наддува</translation>
    </message>
    <message>
        <source>Engine speed</source>
        <translation>Обороты двигателя</translation>
    </message>
    <message>
        <source>Engine load</source>
        <translation>Нагрузка двигателя</translation>
    </message>
    <message>
        <source>Coolant temperature</source>
        <translation>Температура охлаждающей жидкости</translation>
    </message>
    <message>
        <source>Vehicle speed</source>
        <translation>Скорость машины</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2 OC %3</source>
        <translation>SPN %1 FMI %2 OC %3</translation>
    </message>
</context>
<context>
    <name>FreezeFrameActions</name>
    <message>
        <source>Freeze frames…</source>
        <translation>Стоп-кадры…</translation>
    </message>
    <message>
        <source>%1 cannot take a freeze frame function</source>
        <translation>%1 не может получить функцию стоп-кадров</translation>
    </message>
    <message>
        <source>Freeze frames of %1: choose a code and request its freeze frame</source>
        <translation>Стоп-кадры %1: выберите код и запросите его стоп-кадр</translation>
    </message>
</context>
<context>
    <name>FreezeFrameSchemeTreeItem</name>
    <message>
        <source>Request</source>
        <translation>Запрос</translation>
    </message>
    <message>
        <source>Asks the unit for this message from the tool&apos;s address</source>
        <translation>Запрашивает это сообщение у блока с адреса инструмента</translation>
    </message>
    <message>
        <source>Asked %1 at %2</source>
        <translation>%1: запрос в %2</translation>
    </message>
    <message>
        <source>%1 has no unit to ask</source>
        <translation>У %1 нет блока, которому можно отправить запрос</translation>
    </message>
    <message>
        <source>the unit</source>
        <translation>блок</translation>
    </message>
    <message>
        <source>%1 answered at %2</source>
        <translation>%1: ответ в %2</translation>
    </message>
</context>
<context>
    <name>HeaderViewHiderMenu</name>
    <message>
        <source>Show</source>
        <translation>Показать</translation>
    </message>
</context>
<context>
    <name>HexAddressDialog</name>
    <message>
        <source>Hexadecimal, %1 to %2</source>
        <translation>Шестнадцатеричное, от %1 до %2</translation>
    </message>
</context>
<context>
    <name>IOState</name>
    <message>
        <source>000 - Off, Ok</source>
        <translation>000 - Выкл, норма</translation>
    </message>
    <message>
        <source>001 - On, Ok</source>
        <translation>001 - Вкл, норма</translation>
    </message>
    <message>
        <source>010 - Off, output voltage</source>
        <translation>010 - Выкл, напряжение на выходе</translation>
    </message>
    <message>
        <source>011 - On, no load</source>
        <translation>011 - Вкл, нет нагрузки</translation>
    </message>
    <message>
        <source>100 - Not used</source>
        <translation>100 - Не используется</translation>
    </message>
    <message>
        <source>101 - On, current overload</source>
        <translation>101 - Вкл, перегрузка по току</translation>
    </message>
    <message>
        <source>110 - On, load short circuit</source>
        <translation>110 - Вкл, КЗ нагрузки</translation>
    </message>
    <message>
        <source>111 - On, valve locked</source>
        <translation>111 - Вкл, клапан заблокирован</translation>
    </message>
    <message>
        <source>00 - Z</source>
        <translation>00 - Z</translation>
    </message>
    <message>
        <source>01 - +V</source>
        <translation>01 - +V</translation>
    </message>
    <message>
        <source>10 - GND</source>
        <translation>10 - Земля</translation>
    </message>
</context>
<context>
    <name>IdentificationAction</name>
    <message>
        <source>ECU identification</source>
        <translation>Идентификация блока</translation>
    </message>
    <message>
        <source>Software identification</source>
        <translation>Идентификация ПО</translation>
    </message>
    <message>
        <source>Component identification</source>
        <translation>Идентификация компонента</translation>
    </message>
    <message>
        <source>Vehicle identification number</source>
        <translation>Идентификационный номер машины</translation>
    </message>
    <message>
        <source>Calibrations</source>
        <translation>Калибровки</translation>
    </message>
    <message>
        <source>not supported (negative acknowledgement)</source>
        <translation>не поддерживается (отрицательное подтверждение)</translation>
    </message>
    <message>
        <source>(empty)</source>
        <translation>(пусто)</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>нет ответа</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 (gone)</source>
        <translation>%1 (удалён)</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Идентификация</translation>
    </message>
    <message>
        <source>Identification of %1</source>
        <translation>Идентификация %1</translation>
    </message>
</context>
<context>
    <name>IdentificationCodec</name>
    <message>
        <source>make %1, model %2, serial number %3, unit number %4</source>
        <translation>изготовитель %1, модель %2, серийный номер %3, номер блока %4</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
</context>
<context>
    <name>IdentificationSchemeTreeItem</name>
    <message>
        <source>Calibrations and their verification numbers</source>
        <translation>Калибровки и их контрольные числа</translation>
    </message>
    <message>
        <source>Request</source>
        <translation>Запрос</translation>
    </message>
    <message>
        <source>No unit to ask</source>
        <translation>Нет блока для запроса</translation>
    </message>
    <message>
        <source>No bus connection: nothing was sent</source>
        <translation>Нет связи с шиной: ничего не отправлено</translation>
    </message>
    <message>
        <source>%1: asked unit 0x%2</source>
        <translation>%1: запрошен блок 0x%2</translation>
    </message>
    <message>
        <source>%1  CVN %2</source>
        <translation>%1  CVN %2</translation>
    </message>
</context>
<context>
    <name>Inventory</name>
    <message>
        <source>yes</source>
        <translation>да</translation>
    </message>
    <message>
        <source>no</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>SPN %1%2 FMI %3 (%4) OC %5</source>
        <translation>SPN %1%2 FMI %3 (%4) OC %5</translation>
    </message>
    <message>
        <source>No J1939 units in the recording.
</source>
        <translation>В записи нет блоков J1939.
</translation>
    </message>
    <message>
        <source>not in the recording</source>
        <translation>нет в записи</translation>
    </message>
    <message>
        <source>Unit %1
</source>
        <translation>Блок %1
</translation>
    </message>
    <message>
        <source>  NAME: %1
</source>
        <translation>  NAME: %1
</translation>
    </message>
    <message>
        <source>ECU identification</source>
        <translation>Идентификация блока</translation>
    </message>
    <message>
        <source>Software identification</source>
        <translation>Идентификация ПО</translation>
    </message>
    <message>
        <source>Component identification</source>
        <translation>Идентификация компонента</translation>
    </message>
    <message>
        <source>VIN</source>
        <translation>VIN</translation>
    </message>
    <message>
        <source>  Calibrations: %1
</source>
        <translation>  Калибровки: %1
</translation>
    </message>
    <message>
        <source>    CAL ID %1  CVN %2
</source>
        <translation>    CAL ID %1  CVN %2
</translation>
    </message>
    <message>
        <source>Active codes (DM1)</source>
        <translation>Активные коды (DM1)</translation>
    </message>
    <message>
        <source>Previously active codes (DM2)</source>
        <translation>Ранее активные коды (DM2)</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>0x%1: identity number %2, manufacturer code %3, ECU instance %4, function instance %5, %6, vehicle system %7, vehicle system instance %8, industry group %9, arbitrary address capable %10</source>
        <translation>0x%1: идентификационный номер %2, код изготовителя %3, экземпляр ЭБУ %4, экземпляр функции %5, %6, система машины %7, экземпляр системы машины %8, отраслевая группа %9, может сменить адрес: %10</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Unit %1: %2
</source>
        <translation>Блок %1: %2
</translation>
    </message>
</context>
<context>
    <name>InventoryComparison</name>
    <message>
        <source>not received</source>
        <translation>не получено</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>same</source>
        <translation>без изменений</translation>
    </message>
    <message>
        <source>changed</source>
        <translation>изменено</translation>
    </message>
    <message>
        <source>added</source>
        <translation>добавлено</translation>
    </message>
    <message>
        <source>removed</source>
        <translation>удалено</translation>
    </message>
    <message>
        <source>cleared</source>
        <translation>стёрт</translation>
    </message>
    <message>
        <source>still active</source>
        <translation>всё ещё активен</translation>
    </message>
    <message>
        <source>new</source>
        <translation>новый</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Блок</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>ECU</source>
        <translation>Блок управления</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>ПО</translation>
    </message>
    <message>
        <source>Component</source>
        <translation>Компонент</translation>
    </message>
    <message>
        <source>VIN</source>
        <translation>VIN</translation>
    </message>
    <message>
        <source>CAL ID %1</source>
        <translation>Калибровка %1</translation>
    </message>
    <message>
        <source>Active codes</source>
        <translation>Активные коды</translation>
    </message>
    <message>
        <source>Active %1</source>
        <translation>Активен %1</translation>
    </message>
    <message>
        <source>Previously active codes</source>
        <translation>Ранее активные коды</translation>
    </message>
    <message>
        <source>Previously active %1</source>
        <translation>Ранее активен %1</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2 (%3) OC %4</source>
        <translation>SPN %1 FMI %2 (%3) OC %4</translation>
    </message>
    <message>
        <source>still stored</source>
        <translation>по-прежнему в памяти</translation>
    </message>
    <message>
        <source>stored since, no longer active</source>
        <translation>в памяти, уже не активен</translation>
    </message>
</context>
<context>
    <name>InventoryRecord</name>
    <message>
        <source>the units are not a list</source>
        <translation>блоки не являются списком</translation>
    </message>
    <message>
        <source>a unit without a valid address</source>
        <translation>блок без допустимого адреса</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 на шине %2</translation>
    </message>
</context>
<context>
    <name>J1939</name>
    <message>
        <source>Basic Joystick Message 1</source>
        <translation>Базовое сообщение джойстика 1</translation>
    </message>
    <message>
        <source>Basic Joystick Message 2</source>
        <translation>Базовое сообщение джойстика 2</translation>
    </message>
    <message>
        <source>Basic Joystick Message 3</source>
        <translation>Базовое сообщение джойстика 3</translation>
    </message>
    <message>
        <source>Address Claimed</source>
        <translation>Заявка адреса</translation>
    </message>
</context>
<context>
    <name>J1939NameTexts</name>
    <message>
        <source>global</source>
        <translation>общая</translation>
    </message>
    <message>
        <source>on-highway equipment</source>
        <translation>дорожная техника</translation>
    </message>
    <message>
        <source>agricultural and forestry equipment</source>
        <translation>сельскохозяйственная и лесная техника</translation>
    </message>
    <message>
        <source>construction equipment</source>
        <translation>строительная техника</translation>
    </message>
    <message>
        <source>marine</source>
        <translation>морская техника</translation>
    </message>
    <message>
        <source>industrial, process control, stationary</source>
        <translation>промышленное и стационарное оборудование</translation>
    </message>
    <message>
        <source>engine</source>
        <translation>двигатель</translation>
    </message>
    <message>
        <source>auxiliary power unit</source>
        <translation>вспомогательная силовая установка</translation>
    </message>
    <message>
        <source>electric propulsion control</source>
        <translation>управление электроприводом</translation>
    </message>
    <message>
        <source>transmission</source>
        <translation>трансмиссия</translation>
    </message>
    <message>
        <source>battery pack monitor</source>
        <translation>монитор батареи</translation>
    </message>
    <message>
        <source>shift control</source>
        <translation>управление переключением передач</translation>
    </message>
    <message>
        <source>power take-off, main or rear</source>
        <translation>отбор мощности, основной или задний</translation>
    </message>
    <message>
        <source>steering axle</source>
        <translation>управляемая ось</translation>
    </message>
    <message>
        <source>drive axle</source>
        <translation>ведущая ось</translation>
    </message>
    <message>
        <source>brakes, system controller</source>
        <translation>тормоза, контроллер системы</translation>
    </message>
    <message>
        <source>brakes, steer axle</source>
        <translation>тормоза управляемой оси</translation>
    </message>
    <message>
        <source>brakes, drive axle</source>
        <translation>тормоза ведущей оси</translation>
    </message>
    <message>
        <source>engine retarder</source>
        <translation>моторный замедлитель</translation>
    </message>
    <message>
        <source>driveline retarder</source>
        <translation>трансмиссионный замедлитель</translation>
    </message>
    <message>
        <source>cruise control</source>
        <translation>круиз-контроль</translation>
    </message>
    <message>
        <source>fuel system</source>
        <translation>топливная система</translation>
    </message>
    <message>
        <source>steering controller</source>
        <translation>контроллер рулевого управления</translation>
    </message>
    <message>
        <source>suspension, steer axle</source>
        <translation>подвеска управляемой оси</translation>
    </message>
    <message>
        <source>suspension, drive axle</source>
        <translation>подвеска ведущей оси</translation>
    </message>
    <message>
        <source>instrument cluster</source>
        <translation>приборная панель</translation>
    </message>
    <message>
        <source>trip recorder</source>
        <translation>регистратор поездок</translation>
    </message>
    <message>
        <source>cab climate control</source>
        <translation>климат-контроль кабины</translation>
    </message>
    <message>
        <source>aerodynamic control</source>
        <translation>управление аэродинамикой</translation>
    </message>
    <message>
        <source>vehicle navigation</source>
        <translation>навигация</translation>
    </message>
    <message>
        <source>vehicle security</source>
        <translation>охранная система</translation>
    </message>
    <message>
        <source>network interconnect unit</source>
        <translation>межсетевой блок</translation>
    </message>
    <message>
        <source>body controller</source>
        <translation>контроллер кузова</translation>
    </message>
    <message>
        <source>power take-off, front or secondary</source>
        <translation>отбор мощности, передний или вспомогательный</translation>
    </message>
    <message>
        <source>off-vehicle gateway</source>
        <translation>внешний шлюз</translation>
    </message>
    <message>
        <source>virtual terminal</source>
        <translation>виртуальный терминал</translation>
    </message>
    <message>
        <source>management computer</source>
        <translation>управляющий компьютер</translation>
    </message>
    <message>
        <source>propulsion battery charger</source>
        <translation>зарядное устройство тяговой батареи</translation>
    </message>
    <message>
        <source>headway controller</source>
        <translation>контроллер дистанции</translation>
    </message>
    <message>
        <source>system monitor</source>
        <translation>монитор системы</translation>
    </message>
    <message>
        <source>hydraulic pump controller</source>
        <translation>контроллер гидронасоса</translation>
    </message>
    <message>
        <source>suspension, system controller</source>
        <translation>контроллер подвески</translation>
    </message>
    <message>
        <source>pneumatic system controller</source>
        <translation>контроллер пневмосистемы</translation>
    </message>
    <message>
        <source>cab controller</source>
        <translation>контроллер кабины</translation>
    </message>
    <message>
        <source>tire pressure control</source>
        <translation>контроль давления в шинах</translation>
    </message>
    <message>
        <source>ignition control module</source>
        <translation>модуль зажигания</translation>
    </message>
    <message>
        <source>seat control</source>
        <translation>управление сиденьем</translation>
    </message>
    <message>
        <source>lighting, operator controls</source>
        <translation>органы управления освещением</translation>
    </message>
    <message>
        <source>water pump control</source>
        <translation>управление водяным насосом</translation>
    </message>
    <message>
        <source>transmission display</source>
        <translation>дисплей трансмиссии</translation>
    </message>
    <message>
        <source>exhaust emission control</source>
        <translation>управление выхлопными выбросами</translation>
    </message>
    <message>
        <source>vehicle dynamic stability control</source>
        <translation>курсовая устойчивость</translation>
    </message>
    <message>
        <source>oil sensor unit</source>
        <translation>блок датчика масла</translation>
    </message>
    <message>
        <source>information system controller</source>
        <translation>контроллер информационной системы</translation>
    </message>
    <message>
        <source>ramp control</source>
        <translation>управление рампой</translation>
    </message>
    <message>
        <source>clutch, converter control</source>
        <translation>управление сцеплением и гидротрансформатором</translation>
    </message>
    <message>
        <source>auxiliary heater</source>
        <translation>дополнительный отопитель</translation>
    </message>
    <message>
        <source>forward-looking collision warning</source>
        <translation>предупреждение о столкновении</translation>
    </message>
    <message>
        <source>chassis controller</source>
        <translation>контроллер шасси</translation>
    </message>
    <message>
        <source>alternator, charging system</source>
        <translation>генератор, система зарядки</translation>
    </message>
    <message>
        <source>communications unit, cellular</source>
        <translation>блок связи, сотовый</translation>
    </message>
    <message>
        <source>communications unit, satellite</source>
        <translation>блок связи, спутниковый</translation>
    </message>
    <message>
        <source>communications unit, radio</source>
        <translation>блок связи, радио</translation>
    </message>
    <message>
        <source>steering column unit</source>
        <translation>блок рулевой колонки</translation>
    </message>
    <message>
        <source>fan drive control</source>
        <translation>управление приводом вентилятора</translation>
    </message>
    <message>
        <source>starter</source>
        <translation>стартер</translation>
    </message>
    <message>
        <source>cab display</source>
        <translation>дисплей кабины</translation>
    </message>
    <message>
        <source>file server, printer</source>
        <translation>файловый сервер, принтер</translation>
    </message>
    <message>
        <source>on-board diagnostic unit</source>
        <translation>бортовой блок диагностики</translation>
    </message>
    <message>
        <source>engine valve controller</source>
        <translation>контроллер клапанов двигателя</translation>
    </message>
    <message>
        <source>endurance braking</source>
        <translation>длительное торможение</translation>
    </message>
    <message>
        <source>gas flow measurement</source>
        <translation>измерение расхода газа</translation>
    </message>
    <message>
        <source>input/output controller</source>
        <translation>контроллер ввода-вывода</translation>
    </message>
    <message>
        <source>electrical system controller</source>
        <translation>контроллер электросистемы</translation>
    </message>
    <message>
        <source>aftertreatment gas measurement</source>
        <translation>измерение газов нейтрализатора</translation>
    </message>
    <message>
        <source>engine emission aftertreatment</source>
        <translation>нейтрализация выхлопа двигателя</translation>
    </message>
    <message>
        <source>auxiliary regeneration device</source>
        <translation>устройство дополнительной регенерации</translation>
    </message>
    <message>
        <source>transfer case control</source>
        <translation>управление раздаточной коробкой</translation>
    </message>
    <message>
        <source>coolant valve controller</source>
        <translation>контроллер клапана охлаждающей жидкости</translation>
    </message>
    <message>
        <source>rollover detection control</source>
        <translation>обнаружение опрокидывания</translation>
    </message>
    <message>
        <source>lubrication system</source>
        <translation>система смазки</translation>
    </message>
    <message>
        <source>supplemental fan</source>
        <translation>дополнительный вентилятор</translation>
    </message>
    <message>
        <source>temperature sensor</source>
        <translation>датчик температуры</translation>
    </message>
    <message>
        <source>fuel properties sensor</source>
        <translation>датчик свойств топлива</translation>
    </message>
    <message>
        <source>fire suppression system</source>
        <translation>система пожаротушения</translation>
    </message>
    <message>
        <source>power systems manager</source>
        <translation>менеджер энергосистем</translation>
    </message>
    <message>
        <source>electric powertrain</source>
        <translation>электрическая трансмиссия</translation>
    </message>
    <message>
        <source>hydraulic powertrain</source>
        <translation>гидравлическая трансмиссия</translation>
    </message>
    <message>
        <source>system tool</source>
        <translation>системный инструмент</translation>
    </message>
    <message>
        <source>safety system</source>
        <translation>система безопасности</translation>
    </message>
    <message>
        <source>internetwork device</source>
        <translation>межсетевое устройство</translation>
    </message>
    <message>
        <source>electrical distribution</source>
        <translation>распределение электроэнергии</translation>
    </message>
    <message>
        <source>electrical generation</source>
        <translation>выработка электроэнергии</translation>
    </message>
    <message>
        <source>steering and control surfaces</source>
        <translation>рулевое управление и рули</translation>
    </message>
    <message>
        <source>propulsion</source>
        <translation>движитель</translation>
    </message>
    <message>
        <source>navigation device</source>
        <translation>навигационное устройство</translation>
    </message>
    <message>
        <source>communication device</source>
        <translation>устройство связи</translation>
    </message>
    <message>
        <source>sensor interface</source>
        <translation>интерфейс датчиков</translation>
    </message>
    <message>
        <source>instrumentation</source>
        <translation>приборы</translation>
    </message>
    <message>
        <source>external environment</source>
        <translation>внешняя среда</translation>
    </message>
    <message>
        <source>internal environment</source>
        <translation>внутренняя среда</translation>
    </message>
    <message>
        <source>deck, cargo and fishing equipment</source>
        <translation>палубное, грузовое и рыболовное оборудование</translation>
    </message>
    <message>
        <source>display</source>
        <translation>дисплей</translation>
    </message>
    <message>
        <source>entertainment</source>
        <translation>развлекательная система</translation>
    </message>
    <message>
        <source>reserved</source>
        <translation>резерв</translation>
    </message>
    <message>
        <source>off-board service tool</source>
        <translation>внешний сервисный инструмент</translation>
    </message>
    <message>
        <source>function %1</source>
        <translation>функция %1</translation>
    </message>
    <message>
        <source>%1 (function %2)</source>
        <translation>%1 (функция %2)</translation>
    </message>
</context>
<context>
    <name>J1939PreferredAddresses</name>
    <message>
        <source>Engine #1</source>
        <translation>Двигатель №1</translation>
    </message>
    <message>
        <source>Engine #2</source>
        <translation>Двигатель №2</translation>
    </message>
    <message>
        <source>Turbocharger</source>
        <translation>Турбокомпрессор</translation>
    </message>
    <message>
        <source>Transmission #1</source>
        <translation>Трансмиссия №1</translation>
    </message>
    <message>
        <source>Transmission #2</source>
        <translation>Трансмиссия №2</translation>
    </message>
    <message>
        <source>Shift console, primary</source>
        <translation>Пульт переключения передач, основной</translation>
    </message>
    <message>
        <source>Power take-off, main or rear</source>
        <translation>Отбор мощности, основной или задний</translation>
    </message>
    <message>
        <source>Axle, steering</source>
        <translation>Мост, управляемый</translation>
    </message>
    <message>
        <source>Axle, drive #1</source>
        <translation>Мост, ведущий №1</translation>
    </message>
    <message>
        <source>Brakes, system controller</source>
        <translation>Тормоза, контроллер системы</translation>
    </message>
    <message>
        <source>Retarder, engine</source>
        <translation>Замедлитель, моторный</translation>
    </message>
    <message>
        <source>Retarder, driveline</source>
        <translation>Замедлитель, трансмиссионный</translation>
    </message>
    <message>
        <source>Cruise control</source>
        <translation>Круиз-контроль</translation>
    </message>
    <message>
        <source>Fuel system</source>
        <translation>Топливная система</translation>
    </message>
    <message>
        <source>Steering controller</source>
        <translation>Контроллер рулевого управления</translation>
    </message>
    <message>
        <source>Instrument cluster #1</source>
        <translation>Панель приборов №1</translation>
    </message>
    <message>
        <source>Climate control #1</source>
        <translation>Климат-контроль №1</translation>
    </message>
    <message>
        <source>Electrical system</source>
        <translation>Электросистема</translation>
    </message>
    <message>
        <source>Starter system</source>
        <translation>Система пуска</translation>
    </message>
    <message>
        <source>Body controller</source>
        <translation>Контроллер кузова</translation>
    </message>
    <message>
        <source>Off-vehicle gateway</source>
        <translation>Внешний шлюз</translation>
    </message>
    <message>
        <source>Virtual terminal</source>
        <translation>Виртуальный терминал</translation>
    </message>
    <message>
        <source>Management computer #1</source>
        <translation>Управляющий компьютер №1</translation>
    </message>
    <message>
        <source>Cab display #1</source>
        <translation>Дисплей кабины №1</translation>
    </message>
    <message>
        <source>Hydraulic pump controller</source>
        <translation>Контроллер гидронасоса</translation>
    </message>
    <message>
        <source>Cab controller, primary</source>
        <translation>Контроллер кабины, основной</translation>
    </message>
    <message>
        <source>Cab controller, secondary</source>
        <translation>Контроллер кабины, дополнительный</translation>
    </message>
    <message>
        <source>Tire pressure controller</source>
        <translation>Контроллер давления в шинах</translation>
    </message>
    <message>
        <source>Off-board service tool #1</source>
        <translation>Внешний сервисный прибор №1</translation>
    </message>
    <message>
        <source>Off-board service tool #2</source>
        <translation>Внешний сервисный прибор №2</translation>
    </message>
    <message>
        <source>On-board data logger</source>
        <translation>Бортовой регистратор данных</translation>
    </message>
    <message>
        <source>Shift console, secondary</source>
        <translation>Пульт переключения, вспомогательный</translation>
    </message>
    <message>
        <source>Axle, drive #2</source>
        <translation>Ось ведущая №2</translation>
    </message>
    <message>
        <source>Brakes, steer axle</source>
        <translation>Тормоза управляемой оси</translation>
    </message>
    <message>
        <source>Brakes, drive axle #1</source>
        <translation>Тормоза ведущей оси №1</translation>
    </message>
    <message>
        <source>Brakes, drive axle #2</source>
        <translation>Тормоза ведущей оси №2</translation>
    </message>
    <message>
        <source>Suspension, steer axle</source>
        <translation>Подвеска управляемой оси</translation>
    </message>
    <message>
        <source>Suspension, drive axle #1</source>
        <translation>Подвеска ведущей оси №1</translation>
    </message>
    <message>
        <source>Suspension, drive axle #2</source>
        <translation>Подвеска ведущей оси №2</translation>
    </message>
    <message>
        <source>Trip recorder</source>
        <translation>Регистратор поездок</translation>
    </message>
    <message>
        <source>Alternator, charging system</source>
        <translation>Генератор, система зарядки</translation>
    </message>
    <message>
        <source>Aerodynamic control</source>
        <translation>Управление аэродинамикой</translation>
    </message>
    <message>
        <source>Vehicle navigation</source>
        <translation>Навигация</translation>
    </message>
    <message>
        <source>Vehicle security</source>
        <translation>Охранная система</translation>
    </message>
    <message>
        <source>Tractor-trailer bridge #1</source>
        <translation>Мост тягач–прицеп №1</translation>
    </message>
    <message>
        <source>Auxiliary valve control</source>
        <translation>Управление вспомогательными клапанами</translation>
    </message>
    <message>
        <source>Hitch control</source>
        <translation>Управление сцепным устройством</translation>
    </message>
    <message>
        <source>Power take-off, front or secondary</source>
        <translation>Отбор мощности, передний или вспомогательный</translation>
    </message>
    <message>
        <source>Retarder, exhaust, engine #1</source>
        <translation>Моторный тормоз-замедлитель двигателя №1</translation>
    </message>
    <message>
        <source>Headway controller</source>
        <translation>Контроллер дистанции</translation>
    </message>
    <message>
        <source>On-board diagnostic unit</source>
        <translation>Бортовой блок диагностики</translation>
    </message>
    <message>
        <source>Retarder, exhaust, engine #2</source>
        <translation>Моторный тормоз-замедлитель двигателя №2</translation>
    </message>
    <message>
        <source>Endurance braking system</source>
        <translation>Система длительного торможения</translation>
    </message>
    <message>
        <source>Suspension, system controller #1</source>
        <translation>Контроллер подвески №1</translation>
    </message>
    <message>
        <source>Pneumatic system controller</source>
        <translation>Контроллер пневмосистемы</translation>
    </message>
    <message>
        <source>Ignition control module #1</source>
        <translation>Модуль зажигания №1</translation>
    </message>
    <message>
        <source>Ignition control module #2</source>
        <translation>Модуль зажигания №2</translation>
    </message>
    <message>
        <source>Seat control #1</source>
        <translation>Управление сиденьем №1</translation>
    </message>
    <message>
        <source>Lighting, operator controls</source>
        <translation>Органы управления освещением</translation>
    </message>
    <message>
        <source>Rear axle steering controller #1</source>
        <translation>Контроллер подруливания задней оси №1</translation>
    </message>
    <message>
        <source>Water pump controller</source>
        <translation>Контроллер водяного насоса</translation>
    </message>
    <message>
        <source>Climate control #2</source>
        <translation>Климат-контроль №2</translation>
    </message>
    <message>
        <source>Transmission display, primary</source>
        <translation>Дисплей трансмиссии, основной</translation>
    </message>
    <message>
        <source>Transmission display, secondary</source>
        <translation>Дисплей трансмиссии, вспомогательный</translation>
    </message>
    <message>
        <source>Exhaust emission controller</source>
        <translation>Контроллер выхлопных выбросов</translation>
    </message>
    <message>
        <source>Vehicle dynamic stability controller</source>
        <translation>Контроллер курсовой устойчивости</translation>
    </message>
    <message>
        <source>Oil sensor</source>
        <translation>Датчик масла</translation>
    </message>
    <message>
        <source>Suspension, system controller #2</source>
        <translation>Контроллер подвески №2</translation>
    </message>
    <message>
        <source>Information system controller #1</source>
        <translation>Контроллер информационной системы №1</translation>
    </message>
    <message>
        <source>Ramp control</source>
        <translation>Управление рампой</translation>
    </message>
    <message>
        <source>Clutch, converter unit</source>
        <translation>Блок сцепления и гидротрансформатора</translation>
    </message>
    <message>
        <source>Auxiliary heater #1</source>
        <translation>Дополнительный отопитель №1</translation>
    </message>
    <message>
        <source>Auxiliary heater #2</source>
        <translation>Дополнительный отопитель №2</translation>
    </message>
    <message>
        <source>Engine valve controller</source>
        <translation>Контроллер клапанов двигателя</translation>
    </message>
    <message>
        <source>Chassis controller #1</source>
        <translation>Контроллер шасси №1</translation>
    </message>
    <message>
        <source>Chassis controller #2</source>
        <translation>Контроллер шасси №2</translation>
    </message>
    <message>
        <source>Propulsion battery charger</source>
        <translation>Зарядное устройство тяговой батареи</translation>
    </message>
    <message>
        <source>Communications unit, cellular</source>
        <translation>Блок связи, сотовый</translation>
    </message>
    <message>
        <source>Communications unit, satellite</source>
        <translation>Блок связи, спутниковый</translation>
    </message>
    <message>
        <source>Communications unit, radio</source>
        <translation>Блок связи, радио</translation>
    </message>
    <message>
        <source>Steering column unit</source>
        <translation>Блок рулевой колонки</translation>
    </message>
    <message>
        <source>Fan drive controller</source>
        <translation>Контроллер привода вентилятора</translation>
    </message>
    <message>
        <source>Seat control #2</source>
        <translation>Управление сиденьем №2</translation>
    </message>
    <message>
        <source>Parking brake controller</source>
        <translation>Контроллер стояночного тормоза</translation>
    </message>
    <message>
        <source>Aftertreatment #1, gas intake</source>
        <translation>Нейтрализатор №1, вход газов</translation>
    </message>
    <message>
        <source>Aftertreatment #1, gas outlet</source>
        <translation>Нейтрализатор №1, выход газов</translation>
    </message>
    <message>
        <source>Safety restraint system</source>
        <translation>Система пассивной безопасности</translation>
    </message>
    <message>
        <source>Cab display #2</source>
        <translation>Дисплей кабины №2</translation>
    </message>
    <message>
        <source>Diesel particulate filter controller</source>
        <translation>Контроллер сажевого фильтра</translation>
    </message>
    <message>
        <source>Aftertreatment #2, gas intake</source>
        <translation>Нейтрализатор №2, вход газов</translation>
    </message>
    <message>
        <source>Aftertreatment #2, gas outlet</source>
        <translation>Нейтрализатор №2, выход газов</translation>
    </message>
    <message>
        <source>Safety restraint system #2</source>
        <translation>Система пассивной безопасности №2</translation>
    </message>
    <message>
        <source>Atmospheric sensor</source>
        <translation>Датчик атмосферы</translation>
    </message>
    <message>
        <source>Powertrain control module</source>
        <translation>Модуль управления силовой установкой</translation>
    </message>
    <message>
        <source>Power systems manager</source>
        <translation>Менеджер энергосистем</translation>
    </message>
    <message>
        <source>File server, printer</source>
        <translation>Файловый сервер, принтер</translation>
    </message>
    <message>
        <source>Experimental use</source>
        <translation>Для экспериментов</translation>
    </message>
    <message>
        <source>Reserved for the vehicle maker</source>
        <translation>Зарезервирован за изготовителем машины</translation>
    </message>
    <message>
        <source>Roadway information system</source>
        <translation>Система дорожной информации</translation>
    </message>
    <message>
        <source>Advanced emergency braking system</source>
        <translation>Система экстренного торможения</translation>
    </message>
    <message>
        <source>Fifth wheel smart system</source>
        <translation>Интеллектуальное седельно-сцепное устройство</translation>
    </message>
    <message>
        <source>Slope sensor</source>
        <translation>Датчик уклона</translation>
    </message>
    <message>
        <source>Catalyst fluid sensor</source>
        <translation>Датчик реагента нейтрализатора</translation>
    </message>
    <message>
        <source>On-board diagnostic unit #2</source>
        <translation>Бортовой блок диагностики №2</translation>
    </message>
    <message>
        <source>Rear steering axle controller #2</source>
        <translation>Контроллер подруливающей задней оси №2</translation>
    </message>
    <message>
        <source>Rear steering axle controller #3</source>
        <translation>Контроллер подруливающей задней оси №3</translation>
    </message>
    <message>
        <source>Instrument cluster #2</source>
        <translation>Приборная панель №2</translation>
    </message>
    <message>
        <source>Steering input unit</source>
        <translation>Блок рулевого ввода</translation>
    </message>
    <message>
        <source>Body controller #2</source>
        <translation>Контроллер кузова №2</translation>
    </message>
    <message>
        <source>Body-to-vehicle interface control</source>
        <translation>Интерфейс кузова и шасси</translation>
    </message>
    <message>
        <source>Articulation turntable control</source>
        <translation>Управление поворотным шарниром</translation>
    </message>
    <message>
        <source>Forward road image processor</source>
        <translation>Процессор изображения дороги</translation>
    </message>
    <message>
        <source>Door controller #3</source>
        <translation>Контроллер дверей №3</translation>
    </message>
    <message>
        <source>Door controller #4</source>
        <translation>Контроллер дверей №4</translation>
    </message>
    <message>
        <source>Tractor-trailer bridge #2</source>
        <translation>Мост тягач–прицеп №2</translation>
    </message>
    <message>
        <source>Door controller #1</source>
        <translation>Контроллер дверей №1</translation>
    </message>
    <message>
        <source>Door controller #2</source>
        <translation>Контроллер дверей №2</translation>
    </message>
    <message>
        <source>Tachograph</source>
        <translation>Тахограф</translation>
    </message>
    <message>
        <source>Electric propulsion control #1</source>
        <translation>Управление электроприводом №1</translation>
    </message>
    <message>
        <source>Electric propulsion control #2</source>
        <translation>Управление электроприводом №2</translation>
    </message>
    <message>
        <source>Electric propulsion control #3</source>
        <translation>Управление электроприводом №3</translation>
    </message>
    <message>
        <source>Electric propulsion control #4</source>
        <translation>Управление электроприводом №4</translation>
    </message>
    <message>
        <source>Battery pack monitor #1</source>
        <translation>Монитор батареи №1</translation>
    </message>
    <message>
        <source>Battery pack monitor #2</source>
        <translation>Монитор батареи №2</translation>
    </message>
    <message>
        <source>Battery pack monitor #3</source>
        <translation>Монитор батареи №3</translation>
    </message>
    <message>
        <source>Battery pack monitor #4</source>
        <translation>Монитор батареи №4</translation>
    </message>
    <message>
        <source>Auxiliary power unit #1</source>
        <translation>Вспомогательная силовая установка №1</translation>
    </message>
    <message>
        <source>Trailer #%1 bridge</source>
        <translation>Прицеп №%1: мост</translation>
    </message>
    <message>
        <source>Trailer #%1 lighting</source>
        <translation>Прицеп №%1: освещение</translation>
    </message>
    <message>
        <source>Trailer #%1 brakes</source>
        <translation>Прицеп №%1: тормоза</translation>
    </message>
    <message>
        <source>Trailer #%1 reefer</source>
        <translation>Прицеп №%1: рефрижератор</translation>
    </message>
    <message>
        <source>Trailer #%1 cargo</source>
        <translation>Прицеп №%1: груз</translation>
    </message>
    <message>
        <source>Trailer #%1 chassis, suspension</source>
        <translation>Прицеп №%1: шасси и подвеска</translation>
    </message>
    <message>
        <source>Other trailer #%1 unit</source>
        <translation>Прицеп №%1: прочий блок</translation>
    </message>
</context>
<context>
    <name>JobJson</name>
    <message>
        <source>%1 is damaged: %2</source>
        <translation>%1 повреждён: %2</translation>
    </message>
    <message>
        <source>%1 at byte %2</source>
        <translation>%1 в байте %2</translation>
    </message>
    <message>
        <source>not a JSON object</source>
        <translation>не объект JSON</translation>
    </message>
    <message>
        <source>no format version</source>
        <translation>нет версии формата</translation>
    </message>
    <message>
        <source>This job was written by a newer Tarvik (format %1)</source>
        <translation>Эта работа записана более новой версией Tarvik (формат %1)</translation>
    </message>
</context>
<context>
    <name>JobReport</name>
    <message>
        <source>Service job report</source>
        <translation>Отчёт о сервисной работе</translation>
    </message>
    <message>
        <source>A PDF can only be made by a graphical application</source>
        <translation>PDF может создать только графическое приложение</translation>
    </message>
    <message>
        <source>The PDF could not be made</source>
        <translation>Не удалось создать PDF</translation>
    </message>
    <message>
        <source>Memory written</source>
        <translation>Запись в память</translation>
    </message>
    <message>
        <source>Memory read</source>
        <translation>Чтение памяти</translation>
    </message>
    <message>
        <source>Program replaced</source>
        <translation>Замена программы</translation>
    </message>
    <message>
        <source>Tune variable written</source>
        <translation>Запись настроечной переменной</translation>
    </message>
    <message>
        <source>Tune variable read</source>
        <translation>Чтение настроечной переменной</translation>
    </message>
    <message>
        <source>Codes cleared</source>
        <translation>Стирание кодов</translation>
    </message>
    <message>
        <source>Broadcasts suspended</source>
        <translation>Приостановка рассылок</translation>
    </message>
    <message>
        <source>Acceptance test</source>
        <translation>Приёмочное испытание</translation>
    </message>
    <message>
        <source>Unit stood in for</source>
        <translation>Замещение блока</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Заметка</translation>
    </message>
    <message>
        <source>done</source>
        <translation>выполнено</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>сбой</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>отменено</translation>
    </message>
    <message>
        <source>Job not finished</source>
        <translation>Работа не завершена</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Серийный номер</translation>
    </message>
    <message>
        <source>VIN</source>
        <translation>VIN</translation>
    </message>
    <message>
        <source>Order</source>
        <translation>Заказ</translation>
    </message>
    <message>
        <source>Engineer</source>
        <translation>Инженер</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Примечания</translation>
    </message>
    <message>
        <source>No inventory was taken.</source>
        <translation>Опись блоков не снималась.</translation>
    </message>
    <message>
        <source>The inventory as found was not taken.</source>
        <translation>Опись блоков до работы не снималась.</translation>
    </message>
    <message>
        <source>The inventory as left was not taken yet.</source>
        <translation>Опись блоков после работы ещё не снята.</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Блок</translation>
    </message>
    <message>
        <source>What</source>
        <translation>Что</translation>
    </message>
    <message>
        <source>As found</source>
        <translation>До</translation>
    </message>
    <message>
        <source>As left</source>
        <translation>После</translation>
    </message>
    <message>
        <source>Difference</source>
        <translation>Различие</translation>
    </message>
    <message>
        <source>Cannot read %1</source>
        <translation>Не удалось прочитать %1</translation>
    </message>
    <message>
        <source>Fault snapshots</source>
        <translation>Снимки неисправностей</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Описание</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Итог</translation>
    </message>
    <message>
        <source>Changes made</source>
        <translation>Сделанные изменения</translation>
    </message>
    <message>
        <source>The program changed nothing on the machine.</source>
        <translation>Программа ничего не меняла на машине.</translation>
    </message>
    <message>
        <source>Measured when the job is finished.</source>
        <translation>Измеряется при завершении работы.</translation>
    </message>
    <message>
        <source>Transport sessions aborted</source>
        <translation>Прерванные передачи</translation>
    </message>
    <message>
        <source>Silent units</source>
        <translation>Замолкшие блоки</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>Raw recording</source>
        <translation>Необработанная запись</translation>
    </message>
    <message>
        <source>No frames were recorded.</source>
        <translation>Кадры не записывались.</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Страница %1 из %2</translation>
    </message>
    <message numerus="yes">
        <source>… %n more in changes.json</source>
        <translation>
            <numerusform>… ещё %n в changes.json</numerusform>
            <numerusform>… ещё %n в changes.json</numerusform>
            <numerusform>… ещё %n в changes.json</numerusform>
        </translation>
    </message>
    <message>
        <source>Files: %1</source>
        <translation>Файлы: %1</translation>
    </message>
    <message>
        <source>Units on the bus</source>
        <translation>Блоки на шине</translation>
    </message>
    <message>
        <source>%1 (CVN %2)</source>
        <translation>%1 (CVN %2)</translation>
    </message>
    <message>
        <source>VIN %1</source>
        <translation>VIN %1</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Идентификация</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>Программа</translation>
    </message>
    <message>
        <source>Calibrations</source>
        <translation>Калибровки</translation>
    </message>
    <message>
        <source>Also on the bus, without identification: %1.</source>
        <translation>Также на шине, без идентификации: %1.</translation>
    </message>
    <message>
        <source>Trouble codes</source>
        <translation>Коды неисправностей</translation>
    </message>
    <message>
        <source>No unit reported a code.</source>
        <translation>Ни один блок не сообщил кода.</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Код</translation>
    </message>
    <message>
        <source>Meaning</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>What became of it</source>
        <translation>Что с ним стало</translation>
    </message>
    <message>
        <source>count %1</source>
        <translation>счётчик %1</translation>
    </message>
    <message>
        <source>Active (DM1) %1</source>
        <translation>Активный (DM1) %1</translation>
    </message>
    <message>
        <source>Previously active (DM2) %1</source>
        <translation>Ранее активный (DM2) %1</translation>
    </message>
    <message>
        <source>Other differences as left</source>
        <translation>Прочие отличия после работы</translation>
    </message>
    <message>
        <source>Work done</source>
        <translation>Выполненные работы</translation>
    </message>
    <message>
        <source>Time (UTC)</source>
        <translation>Время (UTC)</translation>
    </message>
    <message>
        <source>From %1 to %2</source>
        <translation>С %1 до %2</translation>
    </message>
    <message>
        <source>Sent: %1</source>
        <translation>Отправлялось: %1</translation>
    </message>
    <message>
        <source>Until the end of the job</source>
        <translation>До конца работы</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Plot of the unit&apos;s values</source>
        <translation>График значений блока</translation>
    </message>
    <message>
        <source>Frames and values: %1</source>
        <translation>Кадры и значения: %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n s</source>
        <translation>
            <numerusform>%n с</numerusform>
            <numerusform>%n с</numerusform>
            <numerusform>%n с</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 мин %2 с</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 ч %2 мин</translation>
    </message>
    <message>
        <source>%1 in %2 (%3)</source>
        <translation>%1 в %2 (%3)</translation>
    </message>
    <message>
        <source>%1 to %2 (%3)</source>
        <translation>с %1 до %2 (%3)</translation>
    </message>
    <message>
        <source>%1, not finished yet</source>
        <translation>%1, ещё не завершена</translation>
    </message>
    <message>
        <source>an unnamed connection</source>
        <translation>без названия</translation>
    </message>
    <message>
        <source>; a recording played back, nothing sent to the machine</source>
        <translation>; воспроизводилась запись, машине ничего не отправлялось</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Tool</source>
        <translation>Инструмент</translation>
    </message>
    <message>
        <source>%1 on the bus; %2 and %3.</source>
        <translation>На шине: %1; %2 и %3.</translation>
    </message>
    <message>
        <source>Found:</source>
        <translation>Обнаружено:</translation>
    </message>
    <message>
        <source>Nothing on the machine was changed.</source>
        <translation>На машине ничего не изменялось.</translation>
    </message>
    <message>
        <source>Done:</source>
        <translation>Сделано:</translation>
    </message>
    <message>
        <source>No active trouble code remains.</source>
        <translation>Активных кодов неисправностей не осталось.</translation>
    </message>
    <message>
        <source>Left:</source>
        <translation>Осталось:</translation>
    </message>
    <message>
        <source>Health of the bus</source>
        <translation>Состояние шины</translation>
    </message>
    <message>
        <source>active: %1 found, %2 cleared, %3 new, %4 remaining; previously active: %5 found, %6 cleared, %7 stored now</source>
        <translation>активные: обнаружено %1, стёрто %2, новых %3, осталось %4; ранее активные: обнаружено %5, стёрто %6, сейчас в памяти %7</translation>
    </message>
    <message>
        <source>none run</source>
        <translation>не проводились</translation>
    </message>
    <message>
        <source>%1: %2 passed, %3 failed, %4 skipped</source>
        <translation>%1: пройдено %2, не пройдено %3, пропущено %4</translation>
    </message>
    <message>
        <source>, %1 not run</source>
        <translation>, не выполнялось %1</translation>
    </message>
    <message>
        <source> (some runs not counted, see Work done)</source>
        <translation> (часть запусков не подсчитана, см. «Выполненные работы»)</translation>
    </message>
    <message>
        <source>Acceptance test steps</source>
        <translation>Приёмочные испытания</translation>
    </message>
    <message>
        <source>Bus load</source>
        <translation>Загрузка шины</translation>
    </message>
    <message>
        <source>%1 % mean, %2 % highest; %3 frames</source>
        <translation>в среднем %1 %, наибольшая %2 %; кадров: %3</translation>
    </message>
    <message numerus="yes">
        <source>%n active</source>
        <translation>
            <numerusform>%n активный</numerusform>
            <numerusform>%n активных</numerusform>
            <numerusform>%n активных</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n previously active</source>
        <translation>
            <numerusform>%n ранее активный</numerusform>
            <numerusform>%n ранее активных</numerusform>
            <numerusform>%n ранее активных</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n часть</numerusform>
            <numerusform>%n части</numerusform>
            <numerusform>%n частей</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n unit(s)</source>
        <translation>
            <numerusform>%n блок</numerusform>
            <numerusform>%n блока</numerusform>
            <numerusform>%n блоков</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n active trouble code(s)</source>
        <translation>
            <numerusform>%n активный код неисправности</numerusform>
            <numerusform>%n активных кода неисправностей</numerusform>
            <numerusform>%n активных кодов неисправностей</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n previously active code(s)</source>
        <translation>
            <numerusform>%n ранее активный код</numerusform>
            <numerusform>%n ранее активных кода</numerusform>
            <numerusform>%n ранее активных кодов</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %n more, listed under Work done</source>
        <translation>
            <numerusform>и ещё %n, см. «Выполненные работы»</numerusform>
            <numerusform>и ещё %n, см. «Выполненные работы»</numerusform>
            <numerusform>и ещё %n, см. «Выполненные работы»</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n active trouble code(s) remain:</source>
        <translation>
            <numerusform>Остался %n активный код неисправности:</numerusform>
            <numerusform>Осталось %n активных кода неисправностей:</numerusform>
            <numerusform>Осталось %n активных кодов неисправностей:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n other difference(s) to the machine as found, listed below.</source>
        <translation>
            <numerusform>%n прочее отличие от исходного состояния машины, см. ниже.</numerusform>
            <numerusform>%n прочих отличия от исходного состояния машины, см. ниже.</numerusform>
            <numerusform>%n прочих отличий от исходного состояния машины, см. ниже.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n run(s)</source>
        <translation>
            <numerusform>%n запуск</numerusform>
            <numerusform>%n запуска</numerusform>
            <numerusform>%n запусков</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 over %2</source>
        <translation>%1, подключение: %2</translation>
    </message>
    <message>
        <source>n/a</source>
        <translation>н/д</translation>
    </message>
    <message>
        <source>en_US</source>
        <comment>the locale whose numbers the report writes</comment>
        <translation>ru_RU</translation>
    </message>
    <message numerus="yes">
        <source>%n byte(s)</source>
        <translation>
            <numerusform>%n байт</numerusform>
            <numerusform>%n байта</numerusform>
            <numerusform>%n байт</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 KiB</source>
        <translation>%1 КБ</translation>
    </message>
    <message>
        <source>%1 MiB</source>
        <translation>%1 МБ</translation>
    </message>
    <message>
        <source>%1 GiB</source>
        <translation>%1 ГБ</translation>
    </message>
</context>
<context>
    <name>JobSession</name>
    <message>
        <source>The job&apos;s raw recording stopped: %1</source>
        <translation>Запись трафика задания остановлена: %1</translation>
    </message>
    <message>
        <source>Cannot make the folders of %1</source>
        <translation>Не удаётся создать папки задания %1</translation>
    </message>
    <message>
        <source>Taking the inventory as left…</source>
        <translation>Снимается опись в конечном состоянии…</translation>
    </message>
    <message>
        <source>Taking the inventory of the bus…</source>
        <translation>Снимается опись шины…</translation>
    </message>
    <message numerus="yes">
        <source>Inventory: %n unit(s) found</source>
        <translation>
            <numerusform>Опись: найден %n блок</numerusform>
            <numerusform>Опись: найдено %n блока</numerusform>
            <numerusform>Опись: найдено %n блоков</numerusform>
        </translation>
    </message>
    <message>
        <source>Fault snapshot %1: %2, %3</source>
        <translation>Снимок неисправности %1: %2, %3</translation>
    </message>
</context>
<context>
    <name>JoystickCompositeWidget</name>
    <message>
        <source>Flag 1</source>
        <translation>Флаг 1</translation>
    </message>
    <message>
        <source>Flag 2</source>
        <translation>Флаг 2</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
</context>
<context>
    <name>LearnDialog</name>
    <message>
        <source>Learn the expected bus</source>
        <translation>Изучить ожидаемую шину</translation>
    </message>
    <message numerus="yes">
        <source>The scheme&apos;s units and functions learn what they showed in the last minutes of traffic: each function&apos;s period, the ranges of its values widened by the margin, each unit&apos;s NAME, software and trouble codes. Learn while the machine is healthy; the check then starts. Traffic kept: %n minute(s).</source>
        <translation>
            <numerusform>Блоки и функции схемы запоминают, что они показывали в последние минуты трафика: период каждой функции, диапазоны её значений, расширенные на запас, NAME, программное обеспечение и коды неисправностей каждого блока. Изучайте, пока машина исправна; затем начнётся проверка. Сохранено трафика: %n минута.</numerusform>
            <numerusform>Блоки и функции схемы запоминают, что они показывали в последние минуты трафика: период каждой функции, диапазоны её значений, расширенные на запас, NAME, программное обеспечение и коды неисправностей каждого блока. Изучайте, пока машина исправна; затем начнётся проверка. Сохранено трафика: %n минуты.</numerusform>
            <numerusform>Блоки и функции схемы запоминают, что они показывали в последние минуты трафика: период каждой функции, диапазоны её значений, расширенные на запас, NAME, программное обеспечение и коды неисправностей каждого блока. Изучайте, пока машина исправна; затем начнётся проверка. Сохранено трафика: %n минут.</numerusform>
        </translation>
    </message>
    <message>
        <source> min</source>
        <translation> мин</translation>
    </message>
    <message>
        <source>Learn from the last</source>
        <translation>Изучить последние</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>Value ranges grow by this share of their span on each side</source>
        <translation>Диапазоны значений расширяются на эту долю своей ширины с каждой стороны</translation>
    </message>
    <message>
        <source>Margin of the value ranges</source>
        <translation>Запас диапазонов значений</translation>
    </message>
</context>
<context>
    <name>LiveBusCheck</name>
    <message>
        <source>No check has run yet.</source>
        <translation>Проверка ещё не выполнялась.</translation>
    </message>
</context>
<context>
    <name>LogSaver</name>
    <message>
        <source>Saving %1…</source>
        <translation>Сохранение %1…</translation>
    </message>
</context>
<context>
    <name>MachineLists</name>
    <message>
        <source>00 - Off, ok</source>
        <translation>00 - Выкл, норма</translation>
    </message>
    <message>
        <source>01 - On, ok</source>
        <translation>01 - Вкл, норма</translation>
    </message>
    <message>
        <source>10 - Error, short circuit</source>
        <translation>10 - Ошибка, КЗ</translation>
    </message>
    <message>
        <source>11 - Error, +V</source>
        <translation>11 - Ошибка, +V</translation>
    </message>
    <message>
        <source>00 - Z</source>
        <translation>00 - Z</translation>
    </message>
    <message>
        <source>01 - +V</source>
        <translation>01 - +V</translation>
    </message>
    <message>
        <source>10 - GND</source>
        <translation>10 - Земля</translation>
    </message>
    <message>
        <source>11 - Unavailable</source>
        <translation>11 - Недоступно</translation>
    </message>
    <message>
        <source>00 - Restrict</source>
        <translation>00 - Запрет</translation>
    </message>
    <message>
        <source>01 - ⅓ speed</source>
        <translation>01 - ⅓ скорости</translation>
    </message>
    <message>
        <source>10 - ⅔ speed</source>
        <translation>10 - ⅔ скорости</translation>
    </message>
    <message>
        <source>11 - No restriction</source>
        <translation>11 - Без ограничений</translation>
    </message>
    <message>
        <source>0000 - Support Panel</source>
        <translation>0000 - Панель опор</translation>
    </message>
    <message>
        <source>0001 - Lower panel</source>
        <translation>0001 - Нижний пульт</translation>
    </message>
    <message>
        <source>0010 - External panel</source>
        <translation>0010 - Выносной пульт</translation>
    </message>
    <message>
        <source>0011 - Upper panel</source>
        <translation>0011 - Верхний пульт</translation>
    </message>
    <message>
        <source>%1 - Not used</source>
        <translation>%1 - Не используется</translation>
    </message>
    <message>
        <source>0 - Z</source>
        <translation>0 - Z</translation>
    </message>
    <message>
        <source>1 - GND</source>
        <translation>1 - Земля</translation>
    </message>
    <message>
        <source>1 - Mark</source>
        <translation>1 - Метка</translation>
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
        <source>Bus bit rate in bit/s (default 250000).</source>
        <translation>Скорость шины в бит/с (по умолчанию 250000).</translation>
    </message>
    <message>
        <source>Start on the built-in demo bus with the example scheme (the replay adapter on its recording).</source>
        <translation>Запуск на встроенной демонстрационной шине с примером схемы (адаптер воспроизведения с её записью).</translation>
    </message>
    <message>
        <source>--demo runs on the replay adapter, not on &apos;%1&apos;</source>
        <translation>--demo работает с адаптером воспроизведения, а не с «%1»</translation>
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
        <source>Unknown adapter &apos;%1&apos; (one of: %2)</source>
        <translation>Неизвестный адаптер &apos;%1&apos; (допустимы: %2)</translation>
    </message>
    <message>
        <source>The port name is empty</source>
        <translation>Имя порта пустое</translation>
    </message>
    <message>
        <source>Invalid bit rate &apos;%1&apos;</source>
        <translation>Неверная скорость &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Description files</source>
        <translation>Файлы описаний</translation>
    </message>
    <message>
        <source>CAN handler init error</source>
        <translation>Ошибка инициализации CAN</translation>
    </message>
    <message>
        <source>The library path is empty</source>
        <translation>Путь к библиотеке пуст</translation>
    </message>
    <message>
        <source>Interface language: ru for Russian, anything else for English (default: the system&apos;s).</source>
        <translation>Язык интерфейса: ru — русский, любой другой код — английский (по умолчанию — язык системы).</translation>
    </message>
    <message>
        <source>Adapter library to load for j2534, slcan, slmcp or rp1210, instead of the configured or default one.</source>
        <translation>Библиотека адаптера j2534, slcan, slmcp или rp1210 вместо заданной в настройках или стандартной.</translation>
    </message>
    <message>
        <source>--library applies to the j2534, slcan, slmcp and rp1210 adapters, not to &apos;%1&apos;</source>
        <translation>--library относится к адаптерам j2534, slcan, slmcp и rp1210, а не к &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Adapter port, skipping the port dialog: a listed name, a serial device path, a CAN bus plugin:interface, or a recording to replay (candump *.log, Vector *.asc, PEAK *.trc, MF4, BLF, pcap, pcapng). Given again, each further port is a bus of its own.</source>
        <translation>Порт адаптера без диалога выбора: имя из списка, путь к последовательному устройству, модуль шины CAN:интерфейс или запись для воспроизведения (candump *.log, Vector *.asc, PEAK *.trc, MF4, BLF, pcap, pcapng). Каждый следующий порт — отдельная шина.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Raw view text (*.txt)</source>
        <translation>Текст окна обмена (*.txt)</translation>
    </message>
    <message>
        <source>candump log (*.log)</source>
        <translation>Журнал candump (*.log)</translation>
    </message>
    <message>
        <source>The test of %1 is running. Stop it, put back the values it wrote and close it?</source>
        <translation>Идёт проверка %1. Остановить её, вернуть записанные ею значения и закрыть?</translation>
    </message>
    <message>
        <source>Boot loading</source>
        <translation>Загрузка программы</translation>
    </message>
    <message>
        <source>The program of unit %1 is being replaced. Stopping now leaves the unit in its boot loader without a program. Abandon the transfer?</source>
        <translation>Идёт замена программы блока %1. Если прервать её сейчас, блок останется в загрузчике без программы. Прервать передачу?</translation>
    </message>
    <message>
        <source>Tree Scheme</source>
        <translation>Схема</translation>
    </message>
    <message numerus="yes">
        <source>Net capacity %n messages per second</source>
        <translation>
            <numerusform>Пропускная способность %n сообщение в секунду</numerusform>
            <numerusform>Пропускная способность %n сообщения в секунду</numerusform>
            <numerusform>Пропускная способность %n сообщений в секунду</numerusform>
        </translation>
    </message>
    <message>
        <source>Raw data</source>
        <translation>Сырые данные</translation>
    </message>
    <message>
        <source>Raw enable</source>
        <translation>Поток включён</translation>
    </message>
    <message>
        <source>Raw clear</source>
        <translation>Очистить поток</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Панель инструментов</translation>
    </message>
    <message>
        <source>Tarvik scheme XML (*.tvsx)</source>
        <translation>Схема Tarvik XML (*.tvsx)</translation>
    </message>
    <message>
        <source>Open…</source>
        <translation>Открыть…</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Auto add</source>
        <translation>Автодобавление</translation>
    </message>
    <message>
        <source>Connection Options…</source>
        <translation>Параметры соединения…</translation>
    </message>
    <message>
        <source>Parameter Log Period…</source>
        <translation>Период журнала параметров…</translation>
    </message>
    <message>
        <source>Tool Address…</source>
        <translation>Адрес инструмента…</translation>
    </message>
    <message>
        <source>Tool Address</source>
        <translation>Адрес инструмента</translation>
    </message>
    <message>
        <source>Address the tool claims and sends its requests from (the service tools&apos; range is f9 and fa)</source>
        <translation>Адрес, который инструмент заявляет и с которого отправляет запросы (диапазон сервисных инструментов: f9 и fa)</translation>
    </message>
    <message>
        <source>The tool claims address %1</source>
        <translation>Инструмент заявляет адрес %1</translation>
    </message>
    <message>
        <source>Parameter Log Directory…</source>
        <translation>Каталог журнала параметров…</translation>
    </message>
    <message>
        <source>Live Parameter Log</source>
        <translation>Журнал параметров без буфера</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Подробности</translation>
    </message>
    <message>
        <source>Filter On</source>
        <translation>Включить фильтр</translation>
    </message>
    <message>
        <source>Filter Off</source>
        <translation>Выключить фильтр</translation>
    </message>
    <message>
        <source>Period…</source>
        <translation>Период…</translation>
    </message>
    <message>
        <source>Rename…</source>
        <translation>Переименовать…</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Тест</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Clear Scheme</source>
        <translation>Очистить схему</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Передача</translation>
    </message>
    <message>
        <source>Receive</source>
        <translation>Приём</translation>
    </message>
    <message>
        <source>Add flasher</source>
        <translation>Добавить прошивальщик</translation>
    </message>
    <message>
        <source>Save log</source>
        <translation>Сохранить журнал</translation>
    </message>
    <message>
        <source>Start Parameter Log</source>
        <translation>Запустить журнал параметров</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Windows</source>
        <translation>Окна</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Устройство</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>Устройства</translation>
    </message>
    <message>
        <source>Initial state</source>
        <translation>Начальное состояние</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Авто</translation>
    </message>
    <message numerus="yes">
        <source>%n messages, interval %1 ms</source>
        <translation>
            <numerusform>%n сообщение, интервал %1 мс</numerusform>
            <numerusform>%n сообщения, интервал %1 мс</numerusform>
            <numerusform>%n сообщений, интервал %1 мс</numerusform>
        </translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Device address</source>
        <translation>Адрес устройства</translation>
    </message>
    <message>
        <source>Add the unit to the scheme before testing it</source>
        <translation>Перед проверкой добавьте устройство в схему</translation>
    </message>
    <message>
        <source>The test replaces the scheme by its own, in which this tool acts as the lower control panel. Continue?</source>
        <translation>Тест заменит схему своей, в которой программа выступает нижней панелью управления. Продолжить?</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Период</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Переименование</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>Имя устройства</translation>
    </message>
    <message>
        <source>Open scheme</source>
        <translation>Открыть схему</translation>
    </message>
    <message>
        <source>Unable to open scheme %1: %2</source>
        <translation>Не удалось открыть схему %1: %2</translation>
    </message>
    <message>
        <source>Save scheme</source>
        <translation>Сохранить схему</translation>
    </message>
    <message>
        <source>Scheme saved to %1</source>
        <translation>Схема сохранена в %1</translation>
    </message>
    <message>
        <source>Log Filename</source>
        <translation>Имя файла журнала</translation>
    </message>
    <message numerus="yes">
        <source>%n messages saved to %1</source>
        <translation>
            <numerusform>%n сообщение сохранено в %1</numerusform>
            <numerusform>%n сообщения сохранено в %1</numerusform>
            <numerusform>%n сообщений сохранено в %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Parameter Log Period</source>
        <translation>Период журнала параметров</translation>
    </message>
    <message>
        <source>Period, ms</source>
        <translation>Период, мс</translation>
    </message>
    <message>
        <source>Parameter Log Directory</source>
        <translation>Каталог журнала параметров</translation>
    </message>
    <message>
        <source>A period of %1 ms is shorter than %2 ms: this item alone can take much of the bus.
Use %1 ms?</source>
        <translation>Период %1 мс короче %2 мс: один этот элемент может занять большую часть шины.
Использовать %1 мс?</translation>
    </message>
    <message>
        <source>Address %1 is already used by %2</source>
        <translation>Адрес %1 уже занят: %2</translation>
    </message>
    <message>
        <source>Transmission period, ms</source>
        <translation>Период передачи, мс</translation>
    </message>
    <message>
        <source>Delete %1 from the scheme?</source>
        <translation>Удалить %1 из схемы?</translation>
    </message>
    <message>
        <source>Recent schemes</source>
        <translation>Недавние схемы</translation>
    </message>
    <message>
        <source>Scheme %1 no longer exists</source>
        <translation>Схема %1 больше не существует</translation>
    </message>
    <message>
        <source>Unsaved changes</source>
        <translation>Несохранённые изменения</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Язык</translation>
    </message>
    <message>
        <source>System language</source>
        <translation>Язык системы</translation>
    </message>
    <message>
        <source>The language changes at the next start</source>
        <translation>Язык сменится при следующем запуске</translation>
    </message>
    <message>
        <source>Bus load:</source>
        <translation>Загрузка шины:</translation>
    </message>
    <message>
        <source>No adapter</source>
        <translation>Адаптер не выбран</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1, порт %2</translation>
    </message>
    <message>
        <source>Plot</source>
        <translation>График</translation>
    </message>
    <message>
        <source>Open parameter log…</source>
        <translation>Открыть журнал параметров…</translation>
    </message>
    <message>
        <source>Plot History…</source>
        <translation>История графиков…</translation>
    </message>
    <message>
        <source>Nothing to plot: the selected rows have no numeric values</source>
        <translation>Нечего показать на графике: у выбранных строк нет числовых значений</translation>
    </message>
    <message>
        <source>Open parameter log</source>
        <translation>Открыть журнал параметров</translation>
    </message>
    <message>
        <source>Parameter log CSV (*.csv);;All files (*)</source>
        <translation>Журнал параметров CSV (*.csv);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Unable to open parameter log %1: %2</source>
        <translation>Не удалось открыть журнал параметров %1: %2</translation>
    </message>
    <message>
        <source>Parts of %1 were left out:
%2</source>
        <translation>Часть файла %1 пропущена:
%2</translation>
    </message>
    <message>
        <source>Plot history</source>
        <translation>История графиков</translation>
    </message>
    <message>
        <source>Minutes of values the plots keep</source>
        <translation>Сколько минут значений хранят графики</translation>
    </message>
    <message>
        <source>The tool unit (flashing and identification) needs address %1, which %2 uses. Replace %2 by the tool unit? %2 and its functions leave the scheme; the tool unit&apos;s catalogue offers the same functions.</source>
        <translation>Блоку инструмента (прошивка и идентификация) нужен адрес %1, который занят: %2. Заменить «%2» блоком инструмента? «%2» и его функции будут удалены из схемы; каталог блока инструмента предлагает те же функции.</translation>
    </message>
    <message>
        <source>Tool unit not added: address %1 is used by %2</source>
        <translation>Блок инструмента не добавлен: адрес %1 занят: %2</translation>
    </message>
    <message>
        <source>The tool unit could not be added.</source>
        <translation>Не удалось добавить блок инструмента.</translation>
    </message>
    <message>
        <source>Choose a unit kind with a test among the units in Devices, or a unit with a test in the tree</source>
        <translation>Выберите вид блока с тестом среди блоков в «Устройствах» или блок с тестом в дереве</translation>
    </message>
    <message>
        <source>Save As…</source>
        <translation>Сохранить как…</translation>
    </message>
    <message numerus="yes">
        <source>Transmission period of the %n periodic functions of %1, ms</source>
        <translation>
            <numerusform>Период передачи %n периодической функции %1, мс</numerusform>
            <numerusform>Период передачи %n периодических функций %1, мс</numerusform>
            <numerusform>Период передачи %n периодических функций %1, мс</numerusform>
        </translation>
    </message>
    <message>
        <source>Period of %1: %2 ms</source>
        <translation>Период %1: %2 мс</translation>
    </message>
    <message>
        <source>%1 has no period now: its frames are not checked for time-outs and it is not sent periodically</source>
        <translation>У %1 теперь нет периода: тайм-ауты его кадров не проверяются, периодически он не передаётся</translation>
    </message>
    <message>
        <source>Vector ASC log (*.asc)</source>
        <translation>Журнал Vector ASC (*.asc)</translation>
    </message>
    <message>
        <source>PEAK trace (*.trc)</source>
        <translation>Трасса PEAK (*.trc)</translation>
    </message>
    <message>
        <source>Vector BLF log (*.blf)</source>
        <translation>Журнал Vector BLF (*.blf)</translation>
    </message>
    <message>
        <source>pcapng for Wireshark (*.pcapng)</source>
        <translation>pcapng для Wireshark (*.pcapng)</translation>
    </message>
    <message>
        <source>Unable to save %1: %2</source>
        <translation>Не удалось сохранить %1: %2</translation>
    </message>
    <message>
        <source>Show Details</source>
        <translation>Показать подробности</translation>
    </message>
    <message>
        <source>Databases…</source>
        <translation>Базы данных…</translation>
    </message>
    <message>
        <source>Databases</source>
        <translation>Базы данных</translation>
    </message>
    <message>
        <source>There is no bus to decode.</source>
        <translation>Нет шины для расшифровки.</translation>
    </message>
    <message>
        <source>Saving %1 cancelled; the file is as it was</source>
        <translation>Сохранение %1 отменено; файл остался прежним</translation>
    </message>
</context>
<context>
    <name>MemoryAccessDock</name>
    <message>
        <source>MA Data</source>
        <translation>Данные MA</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Обновить</translation>
    </message>
    <message>
        <source>Commit</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source>Commit changed</source>
        <translation>Записать изменённые</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Increment</source>
        <translation>Увеличить</translation>
    </message>
    <message>
        <source>The values of unit %1 have not been read, so no backup of them exists. Write the file&apos;s values without reading?</source>
        <translation>Значения блока %1 не прочитаны, резервной копии нет. Записать значения из файла без чтения?</translation>
    </message>
    <message numerus="yes">
        <source>Write %n value(s) to unit %1?</source>
        <translation>
            <numerusform>Записать %n значение в блок %1?</numerusform>
            <numerusform>Записать %n значения в блок %1?</numerusform>
            <numerusform>Записать %n значений в блок %1?</numerusform>
        </translation>
    </message>
    <message>
        <source>The device of this function is not simulated (state Send): the unit&apos;s answers cannot reach it.</source>
        <translation>Устройство этой функции не имитируется (состояние «Передача»): ответы блока до него не дойдут.</translation>
    </message>
    <message numerus="yes">
        <source>Reading replaces %n edited value(s) not yet written. Read?</source>
        <translation>
            <numerusform>Чтение заменит %n изменённое и не записанное значение. Прочитать?</numerusform>
            <numerusform>Чтение заменит %n изменённых и не записанных значения. Прочитать?</numerusform>
            <numerusform>Чтение заменит %n изменённых и не записанных значений. Прочитать?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MemoryAccessFunction</name>
    <message>
        <source>The tool unit is flashing; memory access waits for its end</source>
        <translation>Блок инструмента выполняет прошивку; доступ к памяти ждёт её окончания</translation>
    </message>
    <message>
        <source>Memory Access</source>
        <translation>Доступ к памяти</translation>
    </message>
    <message>
        <source>Busy</source>
        <translation>Занято</translation>
    </message>
    <message>
        <source>Cannot open %1</source>
        <translation>Не удаётся открыть %1</translation>
    </message>
    <message>
        <source>File too large</source>
        <translation>Файл слишком велик</translation>
    </message>
    <message>
        <source>Cannot save %1: %2</source>
        <translation>Не удаётся сохранить %1: %2</translation>
    </message>
    <message>
        <source>Invalid target 0x%1</source>
        <translation>Недопустимый адресат 0x%1</translation>
    </message>
    <message>
        <source>Nothing to read</source>
        <translation>Нечего читать</translation>
    </message>
    <message>
        <source>Verifying %1/%2 SPN=0x%3</source>
        <translation>Проверка %1/%2 SPN=0x%3</translation>
    </message>
    <message>
        <source>Reading %1/%2 SPN=0x%3</source>
        <translation>Чтение %1/%2 SPN=0x%3</translation>
    </message>
    <message>
        <source>Read the values of the unit before writing</source>
        <translation>Перед записью прочитайте значения блока</translation>
    </message>
    <message>
        <source>No backup of the values read: writing refused</source>
        <translation>Нет резервной копии прочитанных значений: запись отклонена</translation>
    </message>
    <message>
        <source>Invalid size</source>
        <translation>Недопустимый размер</translation>
    </message>
    <message>
        <source>Invalid value for SPN=0x%1</source>
        <translation>Недопустимое значение для SPN=0x%1</translation>
    </message>
    <message>
        <source>Nothing to write</source>
        <translation>Нечего записывать</translation>
    </message>
    <message>
        <source>Writing %1/%2 SPN=0x%3</source>
        <translation>Запись %1/%2 SPN=0x%3</translation>
    </message>
    <message>
        <source>Verify cancelled</source>
        <translation>Проверка отменена</translation>
    </message>
    <message>
        <source>Read cancelled</source>
        <translation>Чтение отменено</translation>
    </message>
    <message>
        <source>Device timeout</source>
        <translation>Устройство не отвечает</translation>
    </message>
    <message>
        <source>Unknown timeout</source>
        <translation>Неизвестный тайм-аут</translation>
    </message>
    <message>
        <source>Waiting for DM15 but got pduformat %1</source>
        <translation>Ожидался DM15, получен формат PDU %1</translation>
    </message>
    <message>
        <source>Waiting proceeed for SPN=0x%2 but got other status %1</source>
        <translation>Ожидалось разрешение для SPN=0x%2, получено другое состояние %1</translation>
    </message>
    <message>
        <source>Waiting data but got other message %1</source>
        <translation>Ожидались данные, получено другое сообщение %1</translation>
    </message>
    <message>
        <source>Waiting for DM15 completion but got other message %1</source>
        <translation>Ожидалось завершение DM15, получено другое сообщение %1</translation>
    </message>
    <message>
        <source>Waiting proceed but got other message</source>
        <translation>Ожидалось разрешение, получено другое сообщение</translation>
    </message>
    <message>
        <source>Waiting complete for SPN=0x%2 but got other status %1</source>
        <translation>Ожидалось завершение для SPN=0x%2, получено другое состояние %1</translation>
    </message>
    <message>
        <source>Invalid data length %1</source>
        <translation>Недопустимая длина данных %1</translation>
    </message>
    <message>
        <source>Waiting for completion but got other message %1</source>
        <translation>Ожидалось завершение, получено другое сообщение %1</translation>
    </message>
    <message>
        <source>Write complete, %1 values verified</source>
        <translation>Запись завершена, проверено значений: %1</translation>
    </message>
    <message>
        <source>Verify failed for SPN=0x%1</source>
        <translation>Проверка не пройдена для SPN=0x%1</translation>
    </message>
    <message>
        <source>Read complete, backup failed: %1</source>
        <translation>Чтение завершено, резервная копия не записана: %1</translation>
    </message>
    <message>
        <source>Read complete</source>
        <translation>Чтение завершено</translation>
    </message>
    <message>
        <source>Write cancelled after %1 of %2</source>
        <translation>Запись отменена после %1 из %2</translation>
    </message>
    <message>
        <source>Write complete</source>
        <translation>Запись завершена</translation>
    </message>
    <message>
        <source>Unit %1</source>
        <translation>Блок %1</translation>
    </message>
    <message numerus="yes">
        <source>Memory access: %n value(s) read</source>
        <translation>
            <numerusform>Доступ к памяти: прочитано %n значение</numerusform>
            <numerusform>Доступ к памяти: прочитано %n значения</numerusform>
            <numerusform>Доступ к памяти: прочитано %n значений</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: %2 → %3</source>
        <translation>%1: %2 → %3</translation>
    </message>
    <message>
        <source>not read</source>
        <translation>не прочитано</translation>
    </message>
    <message>
        <source>Memory access: %1</source>
        <translation>Доступ к памяти: %1</translation>
    </message>
</context>
<context>
    <name>MemoryAccessSchemeTreeItem</name>
    <message>
        <source>All files (*)</source>
        <translation>Все файлы (*)</translation>
    </message>
    <message>
        <source>Open…</source>
        <translation>Открыть…</translation>
    </message>
    <message>
        <source>Save…</source>
        <translation>Сохранить…</translation>
    </message>
    <message>
        <source>Show data</source>
        <translation>Показать данные</translation>
    </message>
    <message numerus="yes">
        <source>Opening another file discards %n edited value(s) not yet written. Open?</source>
        <translation>
            <numerusform>Открытие другого файла отбросит %n изменённое и не записанное значение. Открыть?</numerusform>
            <numerusform>Открытие другого файла отбросит %n изменённых и не записанных значения. Открыть?</numerusform>
            <numerusform>Открытие другого файла отбросит %n изменённых и не записанных значений. Открыть?</numerusform>
        </translation>
    </message>
    <message>
        <source>Target</source>
        <translation>Блок</translation>
    </message>
</context>
<context>
    <name>OffBoardDiagnosticDevice</name>
    <message>
        <source>Address %1 claimed</source>
        <translation>Адрес %1 заявлен</translation>
    </message>
    <message>
        <source>Address %1 lost to a unit of higher priority (NAME %2); the tool moved to %3</source>
        <translation>Адрес %1 потерян: его занял блок с более высоким приоритетом (NAME %2); инструмент перешёл на %3</translation>
    </message>
    <message>
        <source>Address %1 lost to a unit of higher priority (NAME %2); cannot claim address: the tool sends nothing</source>
        <translation>Адрес %1 потерян: его занял блок с более высоким приоритетом (NAME %2); заявить адрес невозможно: инструмент ничего не отправляет</translation>
    </message>
</context>
<context>
    <name>ParameterInitTestAction</name>
    <message>
        <source>The unit of this step is no longer in the scheme</source>
        <translation>Устройства этого шага больше нет в схеме</translation>
    </message>
    <message>
        <source>%1 does not accept the value %2</source>
        <translation>%1 не принимает значение %2</translation>
    </message>
</context>
<context>
    <name>ParameterLogReader</name>
    <message>
        <source>Not a parameter log: the first line must be &quot;Time&quot; followed by the parameter names.</source>
        <translation>Это не журнал параметров: первая строка должна содержать «Time» и имена параметров.</translation>
    </message>
    <message>
        <source>Line %1: %2 fields where the header has %3; left out.</source>
        <translation>Строка %1: полей %2, а в заголовке %3; пропущена.</translation>
    </message>
    <message>
        <source>Line %1: the time &quot;%2&quot; is not a number; left out.</source>
        <translation>Строка %1: время «%2» не число; пропущена.</translation>
    </message>
    <message>
        <source>Column &quot;%1&quot; holds no numbers; left out.</source>
        <translation>В столбце «%1» нет чисел; пропущен.</translation>
    </message>
</context>
<context>
    <name>ParameterLogRecorder</name>
    <message>
        <source>Log records:</source>
        <translation>Записей журнала:</translation>
    </message>
    <message>
        <source>Parameter log records</source>
        <translation>Записей в журнале параметров</translation>
    </message>
    <message>
        <source>Nothing to log: mark the items to log with Filter On (right-click them in the scheme tree), then start the log.</source>
        <translation>Нечего записывать: отметьте нужные элементы командой «Включить фильтр» (правый щелчок в дереве схемы), затем запустите журнал.</translation>
    </message>
    <message>
        <source>Parameter log records, written to %1</source>
        <translation>Записи журнала параметров, файл %1</translation>
    </message>
    <message>
        <source>Parameter log started: %1</source>
        <translation>Журнал параметров начат: %1</translation>
    </message>
    <message numerus="yes">
        <source>Parameter log stopped: %n records in %1</source>
        <translation>
            <numerusform>Журнал параметров остановлен: %n запись в %1</numerusform>
            <numerusform>Журнал параметров остановлен: %n записи в %1</numerusform>
            <numerusform>Журнал параметров остановлен: %n записей в %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Parameter log stopped: %1</source>
        <translation>Журнал параметров остановлен: %1</translation>
    </message>
</context>
<context>
    <name>ParameterTestClause</name>
    <message>
        <source>The unit of this step is no longer in the scheme</source>
        <translation>Устройства этого шага больше нет в схеме</translation>
    </message>
    <message>
        <source>No data from %1</source>
        <translation>Нет данных от %1</translation>
    </message>
</context>
<context>
    <name>PlotDocks</name>
    <message>
        <source>Plot</source>
        <translation>График</translation>
    </message>
    <message>
        <source>Plot: %1</source>
        <translation>График: %1</translation>
    </message>
    <message numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> и ещё %n</numerusform>
            <numerusform> и ещё %n</numerusform>
            <numerusform> и ещё %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n lines left out in all.</source>
        <translation>
            <numerusform>Всего пропущена %n строка.</numerusform>
            <numerusform>Всего пропущено %n строки.</numerusform>
            <numerusform>Всего пропущено %n строк.</numerusform>
        </translation>
    </message>
    <message>
        <source>Log: %1</source>
        <translation>Журнал: %1</translation>
    </message>
</context>
<context>
    <name>PlotWidget</name>
    <message>
        <source>Pause</source>
        <translation>Пауза</translation>
    </message>
    <message>
        <source>Freeze the view; values are still recorded</source>
        <translation>Остановить изображение; значения продолжают записываться</translation>
    </message>
    <message>
        <source>Whole window</source>
        <translation>Всё окно</translation>
    </message>
    <message>
        <source>Undo zooming and panning</source>
        <translation>Отменить увеличение и сдвиг</translation>
    </message>
    <message>
        <source>Export PNG…</source>
        <translation>Экспорт PNG…</translation>
    </message>
    <message>
        <source>Export CSV…</source>
        <translation>Экспорт CSV…</translation>
    </message>
    <message>
        <source>Drag to zoom, middle button to pan, right click to zoom out</source>
        <translation>Выделите область для увеличения; средняя кнопка — сдвиг, правый щелчок — уменьшение</translation>
    </message>
    <message>
        <source>Time, s</source>
        <translation>Время, с</translation>
    </message>
    <message numerus="yes">
        <source>Last %n min; time counted from %1</source>
        <translation>
            <numerusform>Последняя %n мин; время отсчитывается от %1</numerusform>
            <numerusform>Последние %n мин; время отсчитывается от %1</numerusform>
            <numerusform>Последние %n мин; время отсчитывается от %1</numerusform>
        </translation>
    </message>
    <message>
        <source>The image could not be encoded</source>
        <translation>Не удалось закодировать изображение</translation>
    </message>
    <message>
        <source>Export plot as PNG</source>
        <translation>Экспорт графика в PNG</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>Изображение PNG (*.png)</translation>
    </message>
    <message>
        <source>Export plot as CSV</source>
        <translation>Экспорт графика в CSV</translation>
    </message>
    <message>
        <source>Parameter log CSV (*.csv)</source>
        <translation>Журнал параметров CSV (*.csv)</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Экспорт не удался</translation>
    </message>
</context>
<context>
    <name>PlotZoomer</name>
    <message>
        <source>%1 s</source>
        <translation>%1 с</translation>
    </message>
</context>
<context>
    <name>PowerTestClause</name>
    <message>
        <source>%1 power on test</source>
        <translation>Проверка включения питания %1</translation>
    </message>
    <message>
        <source>%1 power off test</source>
        <translation>Проверка выключения питания %1</translation>
    </message>
    <message>
        <source>Set %1 power on and wait a bit</source>
        <translation>Включите питание %1 и немного подождите</translation>
    </message>
    <message>
        <source>Set %1 power off and wait a bit</source>
        <translation>Выключите питание %1 и немного подождите</translation>
    </message>
    <message>
        <source>The unit of this step is no longer in the scheme</source>
        <translation>Устройства этого шага больше нет в схеме</translation>
    </message>
    <message>
        <source>Device %1 is not being received</source>
        <translation>Устройство %1 не принимается</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Priority:PDUF:PDUS:Address</source>
        <translation>Приоритет:PDUF:PDUS:Адрес</translation>
    </message>
</context>
<context>
    <name>RawDataModel</name>
    <message>
        <source>Raw data</source>
        <translation>Сырые данные</translation>
    </message>
    <message>
        <source>Decoded data</source>
        <translation>Расшифровка</translation>
    </message>
    <message>
        <source>Time, s</source>
        <translation>Время, с</translation>
    </message>
    <message>
        <source>Bus</source>
        <translation>Шина</translation>
    </message>
</context>
<context>
    <name>RawDataView</name>
    <message>
        <source>Follow new rows</source>
        <translation>Следовать за новыми строками</translation>
    </message>
    <message>
        <source>Decode frames</source>
        <translation>Расшифровывать кадры</translation>
    </message>
</context>
<context>
    <name>RawRecorder</name>
    <message>
        <source>Cannot make the folder %1</source>
        <translation>Не удалось создать папку %1</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
</context>
<context>
    <name>RecordCommand</name>
    <message>
        <source>Writes every frame from an adapter to a candump log.</source>
        <translation>Записывает все кадры адаптера в журнал candump.</translation>
    </message>
    <message>
        <source>Adapter type: %1.</source>
        <translation>Тип адаптера: %1.</translation>
    </message>
    <message>
        <source>Adapter port.</source>
        <translation>Порт адаптера.</translation>
    </message>
    <message>
        <source>Bus bit rate in bit/s (default 250000).</source>
        <translation>Скорость шины в бит/с (по умолчанию 250000).</translation>
    </message>
    <message>
        <source>Log file (default candump-DATE_TIME.log).</source>
        <translation>Файл журнала (по умолчанию candump-ДАТА_ВРЕМЯ.log).</translation>
    </message>
    <message>
        <source>Seconds to record (default: until Ctrl+C).</source>
        <translation>Длительность записи в секундах (по умолчанию до Ctrl+C).</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Лишний аргумент: %1</translation>
    </message>
    <message>
        <source>Unknown adapter &apos;%1&apos;</source>
        <translation>Неизвестный адаптер &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--adapter is missing</source>
        <translation>Не задан --adapter</translation>
    </message>
    <message>
        <source>Bad bit rate &apos;%1&apos;</source>
        <translation>Неверная скорость &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Bad duration &apos;%1&apos;</source>
        <translation>Неверная длительность &apos;%1&apos;</translation>
    </message>
    <message>
        <source>n/a</source>
        <translation>н/д</translation>
    </message>
    <message>
        <source>Cannot use the adapter: %1</source>
        <translation>Адаптер недоступен: %1</translation>
    </message>
    <message>
        <source>no port to use</source>
        <translation>нет порта</translation>
    </message>
    <message>
        <source>Cannot start the adapter: %1</source>
        <translation>Не удалось запустить адаптер: %1</translation>
    </message>
    <message>
        <source>Recording %1 on %2 at %3 bit/s to %4; Ctrl+C ends.</source>
        <translation>Запись %1 на %2, %3 бит/с, в %4; Ctrl+C завершает.</translation>
    </message>
    <message>
        <source>%1 s: %2 frames, %3 frames/s, bus load %4 %, lost: adapter %5, queue %6, writer %7</source>
        <translation>%1 с: %2 кадров, %3 кадров/с, загрузка шины %4 %, потеряно: адаптер %5, очередь %6, запись %7</translation>
    </message>
    <message>
        <source>Interrupted.</source>
        <translation>Прервано.</translation>
    </message>
    <message>
        <source>Recording stopped: %1</source>
        <translation>Запись остановлена: %1</translation>
    </message>
    <message>
        <source>The adapter stopped: %1</source>
        <translation>Адаптер остановился: %1</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>%1 frames received in %2 s, %3 written to %4, %5 lost.</source>
        <translation>Принято кадров: %1 за %2 с, записано %3 в %4, потеряно %5.</translation>
    </message>
    <message>
        <source>Adapter library for j2534, slcan, slmcp or rp1210.</source>
        <translation>Библиотека адаптера j2534, slcan, slmcp или rp1210.</translation>
    </message>
</context>
<context>
    <name>RecordingPlayer</name>
    <message>
        <source>Recordings (*.log *.asc *.trc *.mf4 *.MF4 *.blf *.pcap *.pcapng);;All files (*)</source>
        <translation>Записи (*.log *.asc *.trc *.mf4 *.MF4 *.blf *.pcap *.pcapng);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Open recording…</source>
        <translation>Открыть запись…</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>Проигрыватель</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Пауза</translation>
    </message>
    <message>
        <source>Loop</source>
        <translation>По кругу</translation>
    </message>
    <message>
        <source>Plays a recording (candump, ASC, TRC, MF4, BLF, pcap, pcapng) as the bus, with pause, speed and seeking</source>
        <translation>Воспроизводит запись (candump, ASC, TRC, MF4, BLF, pcap, pcapng) как шину: с паузой, выбором скорости и перемоткой</translation>
    </message>
    <message>
        <source>Playing speed</source>
        <translation>Скорость воспроизведения</translation>
    </message>
    <message>
        <source>As fast as possible</source>
        <translation>Как можно быстрее</translation>
    </message>
    <message>
        <source>Drag to move along the recording&apos;s time</source>
        <translation>Перетащите, чтобы перейти к другому времени записи</translation>
    </message>
    <message>
        <source>Start again at the end</source>
        <translation>В конце начинать сначала</translation>
    </message>
    <message>
        <source>Open recording</source>
        <translation>Открыть запись</translation>
    </message>
    <message>
        <source>A recording plays on the replay adapter, not on a live bus. Start Tarvik with &quot;--adapter replay&quot; (or choose Replay at the start) to play %1.</source>
        <translation>Запись воспроизводится на адаптере воспроизведения, а не на живой шине. Чтобы воспроизвести %1, запустите Tarvik с «--adapter replay» (или выберите «Воспроизведение» при запуске).</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>файл не читается</translation>
    </message>
    <message>
        <source>Cannot play %1: %2</source>
        <translation>Не удалось воспроизвести %1: %2</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Запись</translation>
    </message>
    <message numerus="yes">
        <source>Playing %1: %n frames</source>
        <translation>
            <numerusform>Воспроизводится %1: %n кадр</numerusform>
            <numerusform>Воспроизводится %1: %n кадра</numerusform>
            <numerusform>Воспроизводится %1: %n кадров</numerusform>
        </translation>
    </message>
    <message>
        <source>Reading %1…</source>
        <translation>Чтение %1…</translation>
    </message>
    <message>
        <source>Auto add is on: the recording&apos;s units join the scheme as they come</source>
        <translation>Автодобавление включено: блоки записи добавляются в схему по мере появления</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Воспроизвести</translation>
    </message>
    <message>
        <source>Go on playing the recording (Space)</source>
        <translation>Продолжить воспроизведение записи (Пробел)</translation>
    </message>
    <message>
        <source>Pause the recording (Space)</source>
        <translation>Приостановить запись (Пробел)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Stop reading the recording (Esc)</source>
        <translation>Прекратить чтение записи (Esc)</translation>
    </message>
    <message>
        <source>Reading %1… %2 %</source>
        <translation>Чтение %1… %2 %</translation>
    </message>
    <message>
        <source>Playing %1 while the rest of it is read</source>
        <translation>Воспроизводится %1, остаток ещё читается</translation>
    </message>
    <message>
        <source>%1 / %2 (reading %3 %)</source>
        <translation>%1 / %2 (прочитано %3 %)</translation>
    </message>
</context>
<context>
    <name>RecordingReader</name>
    <message>
        <source>not an ASC line</source>
        <translation>не строка ASC</translation>
    </message>
    <message>
        <source>CAN FD frame</source>
        <translation>кадр CAN FD</translation>
    </message>
    <message>
        <source>error frame</source>
        <translation>кадр ошибки</translation>
    </message>
    <message>
        <source>bad identifier</source>
        <translation>неверный идентификатор</translation>
    </message>
    <message>
        <source>remote frame</source>
        <translation>кадр запроса (RTR)</translation>
    </message>
    <message>
        <source>unknown frame type</source>
        <translation>неизвестный тип кадра</translation>
    </message>
    <message>
        <source>bad data length</source>
        <translation>неверная длина данных</translation>
    </message>
    <message>
        <source>data bytes missing</source>
        <translation>не хватает байтов данных</translation>
    </message>
    <message>
        <source>bad data byte</source>
        <translation>неверный байт данных</translation>
    </message>
    <message>
        <source>not a candump frame</source>
        <translation>не кадр candump</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>неизвестный</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>строка %1: %2</translation>
    </message>
    <message>
        <source>%1 is a folder, not a recording</source>
        <translation>%1 — папка, а не запись</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>файл пуст</translation>
    </message>
    <message>
        <source>line too long</source>
        <translation>слишком длинная строка</translation>
    </message>
    <message>
        <source>not a trace line</source>
        <translation>не строка трассы</translation>
    </message>
    <message>
        <source>bus warning</source>
        <translation>предупреждение шины</translation>
    </message>
    <message>
        <source>columns missing</source>
        <translation>не хватает столбцов</translation>
    </message>
    <message>
        <source>bad time stamp</source>
        <translation>неверная метка времени</translation>
    </message>
    <message>
        <source>offset %1: %2</source>
        <translation>смещение %1: %2</translation>
    </message>
    <message>
        <source>not a recording Tarvik reads (candump, ASC, TRC, MF4, BLF, pcap, pcapng)</source>
        <translation>не запись, которую читает Tarvik (candump, ASC, TRC, MF4, BLF, pcap, pcapng)</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>не читается</translation>
    </message>
    <message>
        <source>the identification block is cut short</source>
        <translation>блок идентификации обрезан</translation>
    </message>
    <message>
        <source>not an MDF file</source>
        <translation>не файл MDF</translation>
    </message>
    <message>
        <source>MDF version %1 is not read (4.x only)</source>
        <translation>версия MDF %1 не читается (только 4.x)</translation>
    </message>
    <message>
        <source>a link points outside the file</source>
        <translation>ссылка указывает за пределы файла</translation>
    </message>
    <message>
        <source>block cut short</source>
        <translation>блок обрезан</translation>
    </message>
    <message>
        <source>no block here</source>
        <translation>здесь нет блока</translation>
    </message>
    <message>
        <source>unexpected %1 block</source>
        <translation>неожиданный блок %1</translation>
    </message>
    <message>
        <source>%1 links are too many</source>
        <translation>слишком много ссылок: %1</translation>
    </message>
    <message>
        <source>block length %1 does not fit the file</source>
        <translation>длина блока %1 не помещается в файл</translation>
    </message>
    <message>
        <source>the links lead to far more blocks than the file holds</source>
        <translation>ссылки ведут к гораздо большему числу блоков, чем есть в файле</translation>
    </message>
    <message>
        <source>compressed blocks held open exceed %1 bytes</source>
        <translation>открытые сжатые блоки превышают %1 байт</translation>
    </message>
    <message>
        <source>a data block is listed twice</source>
        <translation>блок данных указан дважды</translation>
    </message>
    <message>
        <source>the links loop</source>
        <translation>ссылки образуют цикл</translation>
    </message>
    <message>
        <source>more than %1 blocks in a chain</source>
        <translation>в цепочке больше %1 блоков</translation>
    </message>
    <message>
        <source>compressed block cut short</source>
        <translation>сжатый блок обрезан</translation>
    </message>
    <message>
        <source>unknown compression %1</source>
        <translation>неизвестное сжатие %1</translation>
    </message>
    <message>
        <source>compressed block would inflate to %1 bytes, more than the %2 allowed</source>
        <translation>сжатый блок распаковался бы в %1 байт, больше допустимых %2</translation>
    </message>
    <message>
        <source>compressed data does not inflate to the %1 bytes it claims</source>
        <translation>сжатые данные не распаковываются в заявленные %1 байт</translation>
    </message>
    <message>
        <source>signal data out of order</source>
        <translation>данные сигналов не по порядку</translation>
    </message>
    <message>
        <source>record id size %1 is not valid</source>
        <translation>недопустимый размер идентификатора записи: %1</translation>
    </message>
    <message>
        <source>record id %1 is used twice</source>
        <translation>идентификатор записи %1 использован дважды</translation>
    </message>
    <message>
        <source>several channel groups without record ids</source>
        <translation>несколько групп каналов без идентификаторов записей</translation>
    </message>
    <message>
        <source>records of no bytes</source>
        <translation>записи нулевой длины</translation>
    </message>
    <message>
        <source>data bytes not found</source>
        <translation>байты данных не найдены</translation>
    </message>
    <message>
        <source>record cut short</source>
        <translation>запись обрезана</translation>
    </message>
    <message>
        <source>unwritten end of the file</source>
        <translation>незаписанный конец файла</translation>
    </message>
    <message>
        <source>unknown record id %1</source>
        <translation>неизвестный идентификатор записи %1</translation>
    </message>
    <message>
        <source>not a CAN frame</source>
        <translation>не кадр CAN</translation>
    </message>
    <message>
        <source>variable-length record of %1 bytes is larger than allowed</source>
        <translation>запись переменной длины в %1 байт больше допустимой</translation>
    </message>
    <message>
        <source>invalid record</source>
        <translation>недействительная запись</translation>
    </message>
    <message>
        <source>time out of range</source>
        <translation>время вне допустимого диапазона</translation>
    </message>
    <message>
        <source>identifier out of range</source>
        <translation>идентификатор вне допустимого диапазона</translation>
    </message>
    <message>
        <source>time conversion of type %1 is not read</source>
        <translation>преобразование времени типа %1 не поддерживается</translation>
    </message>
    <message>
        <source>conversion of type %1 is not read</source>
        <translation>преобразование типа %1 не поддерживается</translation>
    </message>
    <message>
        <source>virtual data bytes are not read</source>
        <translation>виртуальные байты данных не поддерживаются</translation>
    </message>
    <message>
        <source>channel lies outside its record</source>
        <translation>канал выходит за пределы своей записи</translation>
    </message>
    <message>
        <source>variable-length channel without data</source>
        <translation>канал переменной длины без данных</translation>
    </message>
    <message>
        <source>channels nest too deep</source>
        <translation>слишком глубокая вложенность каналов</translation>
    </message>
    <message>
        <source>too many channels in a group</source>
        <translation>слишком много каналов в группе</translation>
    </message>
    <message>
        <source>record size %1 is larger than allowed</source>
        <translation>размер записи %1 больше допустимого</translation>
    </message>
    <message>
        <source>BLF file header cut off</source>
        <translation>заголовок файла BLF обрезан</translation>
    </message>
    <message>
        <source>bad BLF header size %1</source>
        <translation>неверный размер заголовка BLF: %1</translation>
    </message>
    <message>
        <source>no BLF object (LOBJ) where one should begin</source>
        <translation>нет объекта BLF (LOBJ) там, где он должен начинаться</translation>
    </message>
    <message>
        <source>bad BLF object size %1</source>
        <translation>неверный размер объекта BLF: %1</translation>
    </message>
    <message>
        <source>BLF object of %1 bytes refused as too large</source>
        <translation>объект BLF размером %1 байт отклонён как слишком большой</translation>
    </message>
    <message>
        <source>BLF object runs past the end of the file</source>
        <translation>объект BLF выходит за конец файла</translation>
    </message>
    <message>
        <source>the last BLF object is cut off</source>
        <translation>последний объект BLF обрезан</translation>
    </message>
    <message>
        <source>BLF log container cut off</source>
        <translation>контейнер журнала BLF обрезан</translation>
    </message>
    <message>
        <source>BLF log container of %1 bytes refused as too large</source>
        <translation>контейнер журнала BLF размером %1 байт отклонён как слишком большой</translation>
    </message>
    <message>
        <source>unknown BLF compression method %1</source>
        <translation>неизвестный метод сжатия BLF: %1</translation>
    </message>
    <message>
        <source>BLF log container: compressed data broken or larger than the declared %1 bytes</source>
        <translation>контейнер журнала BLF: сжатые данные повреждены или больше заявленных %1 байт</translation>
    </message>
    <message>
        <source>no BLF object (LOBJ) where one should begin in the log container</source>
        <translation>нет объекта BLF (LOBJ) там, где он должен начинаться в контейнере журнала</translation>
    </message>
    <message>
        <source>malformed BLF object</source>
        <translation>искажённый объект BLF</translation>
    </message>
    <message>
        <source>pcapng block header cut off</source>
        <translation>заголовок блока pcapng обрезан</translation>
    </message>
    <message>
        <source>bad pcapng byte-order magic</source>
        <translation>неверная метка порядка байтов pcapng</translation>
    </message>
    <message>
        <source>pcapng section header missing</source>
        <translation>нет заголовка секции pcapng</translation>
    </message>
    <message>
        <source>bad pcapng block length %1</source>
        <translation>неверная длина блока pcapng: %1</translation>
    </message>
    <message>
        <source>pcapng block of %1 bytes refused as too large</source>
        <translation>блок pcapng размером %1 байт отклонён как слишком большой</translation>
    </message>
    <message>
        <source>pcapng block runs past the end of the file</source>
        <translation>блок pcapng выходит за конец файла</translation>
    </message>
    <message>
        <source>pcapng block&apos;s two lengths differ</source>
        <translation>две длины блока pcapng не совпадают</translation>
    </message>
    <message>
        <source>pcapng section header cut off</source>
        <translation>заголовок секции pcapng обрезан</translation>
    </message>
    <message>
        <source>unknown pcapng version %1</source>
        <translation>неизвестная версия pcapng: %1</translation>
    </message>
    <message>
        <source>pcapng interface block cut off</source>
        <translation>блок интерфейса pcapng обрезан</translation>
    </message>
    <message>
        <source>too many pcapng interfaces</source>
        <translation>слишком много интерфейсов pcapng</translation>
    </message>
    <message>
        <source>unknown pcapng time resolution</source>
        <translation>неизвестное разрешение времени pcapng</translation>
    </message>
    <message>
        <source>pcapng packet block cut off</source>
        <translation>блок пакета pcapng обрезан</translation>
    </message>
    <message>
        <source>pcapng packet longer than its block</source>
        <translation>пакет pcapng длиннее своего блока</translation>
    </message>
    <message>
        <source>packet of an undeclared interface</source>
        <translation>пакет необъявленного интерфейса</translation>
    </message>
    <message>
        <source>malformed packet</source>
        <translation>искажённый пакет</translation>
    </message>
    <message>
        <source>not a CAN packet</source>
        <translation>не пакет CAN</translation>
    </message>
    <message>
        <source>not a CAN link type</source>
        <translation>тип канала не CAN</translation>
    </message>
    <message>
        <source>CAN XL frame</source>
        <translation>кадр CAN XL</translation>
    </message>
    <message>
        <source>pcap file header cut off</source>
        <translation>заголовок файла pcap обрезан</translation>
    </message>
    <message>
        <source>unknown pcap version %1</source>
        <translation>неизвестная версия pcap: %1</translation>
    </message>
    <message>
        <source>pcap packet header cut off</source>
        <translation>заголовок пакета pcap обрезан</translation>
    </message>
    <message>
        <source>packet of %1 bytes refused as too large</source>
        <translation>пакет размером %1 байт отклонён как слишком большой</translation>
    </message>
    <message>
        <source>packet runs past the end of the file</source>
        <translation>пакет выходит за конец файла</translation>
    </message>
    <message>
        <source>Tarvik cannot write %1 files</source>
        <translation>Tarvik не умеет записывать файлы %1</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>файл не удалось записать</translation>
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
    <message>
        <source>Reading of recording %1 cancelled</source>
        <translation>Чтение записи %1 отменено</translation>
    </message>
</context>
<context>
    <name>RequestLine</name>
    <message>
        <source>Request</source>
        <translation>Запросить</translation>
    </message>
    <message>
        <source>Ask the unit for this message now</source>
        <translation>Запросить это сообщение у блока сейчас</translation>
    </message>
    <message>
        <source>No bus connection: nothing was sent</source>
        <translation>Нет подключения к шине: ничего не отправлено</translation>
    </message>
    <message>
        <source>Not asked yet</source>
        <translation>Ещё не запрашивалось</translation>
    </message>
    <message>
        <source>Last received at %1</source>
        <translation>Последний приём в %1</translation>
    </message>
    <message>
        <source>Asked at %1, no answer yet</source>
        <translation>Запрошено в %1, ответа ещё нет</translation>
    </message>
    <message>
        <source>Asked at %1, answered at %2</source>
        <translation>Запрошено в %1, ответ в %2</translation>
    </message>
</context>
<context>
    <name>Rp1210</name>
    <message>
        <source>Unable to use RP1210 adapters</source>
        <translation>Не удаётся использовать адаптеры RP1210</translation>
    </message>
    <message>
        <source>%1 not found in %2</source>
        <translation>%1 не найден в %2</translation>
    </message>
    <message>
        <source>%1 lists no adapter library ([RP1210Support] APIImplementations)</source>
        <translation>В %1 не указана ни одна библиотека адаптера ([RP1210Support] APIImplementations)</translation>
    </message>
    <message>
        <source>No adapter of %1 lists a device:
%2</source>
        <translation>Ни у одного адаптера из %1 не указано устройство:
%2</translation>
    </message>
    <message>
        <source>%1.INI not found</source>
        <translation>%1.INI не найден</translation>
    </message>
    <message>
        <source>%1.INI lists no device</source>
        <translation>В %1.INI не указано ни одного устройства</translation>
    </message>
</context>
<context>
    <name>SCAuxIoSchemeTreeItem</name>
    <message>
        <source>Outputs</source>
        <translation>Выходы</translation>
    </message>
    <message>
        <source>Inputs</source>
        <translation>Входы</translation>
    </message>
    <message>
        <source>AUXIO</source>
        <translation>AUXIO</translation>
    </message>
</context>
<context>
    <name>SaeButtonParameter</name>
    <message>
        <source>Off, ok</source>
        <translation>Выкл, норма</translation>
    </message>
    <message>
        <source>On, ok</source>
        <translation>Вкл, норма</translation>
    </message>
    <message>
        <source>Button error</source>
        <translation>Ошибка кнопки</translation>
    </message>
    <message>
        <source>Button disabled</source>
        <translation>Кнопка отключена</translation>
    </message>
</context>
<context>
    <name>SaveFile</name>
    <message>
        <source>Only %1 of %2 bytes could be written</source>
        <translation>Удалось записать только %1 из %2 байт</translation>
    </message>
</context>
<context>
    <name>SaveStateTestAction</name>
    <message>
        <source>Saving the state of %1</source>
        <translation>Сохранение состояния %1</translation>
    </message>
    <message>
        <source>Saving the state</source>
        <translation>Сохранение состояния</translation>
    </message>
    <message>
        <source>There is no state to save</source>
        <translation>Нет состояния для сохранения</translation>
    </message>
</context>
<context>
    <name>SchemeBusNode</name>
    <message numerus="yes">
        <source>%n unit(s)</source>
        <translation>
            <numerusform>%n блок</numerusform>
            <numerusform>%n блока</numerusform>
            <numerusform>%n блоков</numerusform>
        </translation>
    </message>
    <message>
        <source>Bus %1: %2</source>
        <translation>Шина %1: %2</translation>
    </message>
</context>
<context>
    <name>SchemeController</name>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>Unable to create device from %1 line of %2 file</source>
        <translation>Не удалось создать устройство из строки %1 файла %2</translation>
    </message>
    <message>
        <source>%1 is not a scheme file: %2 (line %3)</source>
        <translation>%1 не является файлом схемы: %2 (строка %3)</translation>
    </message>
    <message>
        <source>%1 is not a scheme file</source>
        <translation>%1 не является файлом схемы</translation>
    </message>
    <message>
        <source>previous scheme</source>
        <translation>предыдущая схема</translation>
    </message>
    <message>
        <source>Showing bus %1; units of other buses kept in the file: %2</source>
        <translation>Показана шина %1; блоков других шин сохранено в файле: %2</translation>
    </message>
    <message>
        <source>scheme</source>
        <translation>схема</translation>
    </message>
    <message>
        <source>Units of buses not in the window kept in the file: %1</source>
        <translation>Блоки шин, которых нет в окне, сохранены в файле: %1</translation>
    </message>
</context>
<context>
    <name>SchemeDatabases</name>
    <message>
        <source>The database %1 has changed since the scheme was saved</source>
        <translation>База %1 изменилась после сохранения схемы</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n line(s) not read, the first: %2</source>
        <translation>
            <numerusform>%1: %n строка не прочитана, первая: %2</numerusform>
            <numerusform>%1: %n строки не прочитаны, первая: %2</numerusform>
            <numerusform>%1: %n строк не прочитано, первая: %2</numerusform>
        </translation>
    </message>
    <message>
        <source>The database %1 is missing: its groups are not decoded</source>
        <translation>База %1 не найдена: её группы не расшифровываются</translation>
    </message>
</context>
<context>
    <name>SchemeDocument</name>
    <message>
        <source>Untitled</source>
        <translation>Без имени</translation>
    </message>
    <message>
        <source>The scheme has not been saved yet. Save it?</source>
        <translation>Схема ещё не сохранена. Сохранить её?</translation>
    </message>
    <message>
        <source>The scheme %1 comes with the program and cannot be changed. Save your changes to a file of your own?</source>
        <translation>Схема %1 входит в состав программы и не может быть изменена. Сохранить изменения в свой файл?</translation>
    </message>
    <message>
        <source>The scheme %1 has changed since it was saved. Save the changes?</source>
        <translation>Схема %1 изменилась после сохранения. Сохранить изменения?</translation>
    </message>
</context>
<context>
    <name>SchemeTreeModel</name>
    <message>
        <source>State</source>
        <translation>Состояние</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Данные</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Период</translation>
    </message>
    <message>
        <source>Event counter</source>
        <translation>Счётчик событий</translation>
    </message>
</context>
<context>
    <name>SequenceTestAction</name>
    <message>
        <source>The tune variable is no longer in the scheme</source>
        <translation>Переменной настройки больше нет в схеме</translation>
    </message>
</context>
<context>
    <name>ServiceJob</name>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Не удалось прочитать %1: %2</translation>
    </message>
    <message>
        <source>Cannot make the folder %1</source>
        <translation>Не удалось создать папку %1</translation>
    </message>
    <message>
        <source>Cannot make a job folder in %1</source>
        <translation>Не удалось создать папку работы в %1</translation>
    </message>
    <message>
        <source>Cannot make the folders of %1</source>
        <translation>Не удалось создать папки работы %1</translation>
    </message>
    <message>
        <source>%1 is not a service job: it has no %2</source>
        <translation>%1 не является сервисной работой: нет файла %2</translation>
    </message>
    <message>
        <source>not a Tarvik service job</source>
        <translation>не сервисная работа Tarvik</translation>
    </message>
    <message>
        <source>the entries are not a list</source>
        <translation>записи не являются списком</translation>
    </message>
</context>
<context>
    <name>ServiceJobActions</name>
    <message>
        <source>New service job…</source>
        <translation>Новое сервисное задание…</translation>
    </message>
    <message>
        <source>Open service job…</source>
        <translation>Открыть сервисное задание…</translation>
    </message>
    <message>
        <source>Finish service job…</source>
        <translation>Завершить сервисное задание…</translation>
    </message>
    <message>
        <source>Starts a service job: the inventory as found, the record of the visit, the inventory as left and a report</source>
        <translation>Начинает сервисное задание: опись в исходном состоянии, запись визита, опись в конечном состоянии и отчёт</translation>
    </message>
    <message>
        <source>Takes the inventory as left, compares it with the one as found and writes the report</source>
        <translation>Снимает опись в конечном состоянии, сравнивает её с исходной и пишет отчёт</translation>
    </message>
    <message>
        <source>Job %1</source>
        <translation>Задание %1</translation>
    </message>
    <message>
        <source>New service job</source>
        <translation>Новое сервисное задание</translation>
    </message>
    <message>
        <source>The job %1 is open. It stays in its folder and can be opened again. Start a new job?</source>
        <translation>Задание %1 открыто. Оно остаётся в своей папке, его можно открыть снова. Начать новое задание?</translation>
    </message>
    <message>
        <source>Cannot make the folder %1</source>
        <translation>Не удаётся создать папку %1</translation>
    </message>
    <message>
        <source>Open service job</source>
        <translation>Открыть сервисное задание</translation>
    </message>
    <message>
        <source>Service job</source>
        <translation>Сервисное задание</translation>
    </message>
    <message>
        <source>The service job in %1 was left open. Go on with it?</source>
        <translation>Сервисное задание в %1 осталось открытым. Продолжить его?</translation>
    </message>
    <message>
        <source>Finish service job</source>
        <translation>Завершить сервисное задание</translation>
    </message>
    <message>
        <source>Finish the job %1? The inventory as left is taken now, compared with the one as found, and the report is written.</source>
        <translation>Завершить задание %1? Сейчас будет снята опись в конечном состоянии, сравнена с исходной, и будет написан отчёт.</translation>
    </message>
    <message>
        <source>Service job report</source>
        <translation>Отчёт сервисного задания</translation>
    </message>
    <message>
        <source>Report: %1</source>
        <translation>Отчёт: %1</translation>
    </message>
    <message>
        <source>Job finished; report written: %1</source>
        <translation>Задание завершено; отчёт записан: %1</translation>
    </message>
    <message>
        <source>Job %1 (finished)</source>
        <translation>Задание %1 (завершено)</translation>
    </message>
    <message>
        <source>Writing the report…</source>
        <translation>Запись отчёта…</translation>
    </message>
    <message>
        <source>The report was not written; Open report writes it</source>
        <translation>Отчёт не записан; «Открыть отчёт» запишет его</translation>
    </message>
</context>
<context>
    <name>ServiceJobDialog</name>
    <message>
        <source>New service job</source>
        <translation>Новое сервисное задание</translation>
    </message>
    <message>
        <source>taken from the bus when a unit sends it</source>
        <translation>берётся с шины, когда блок его передаёт</translation>
    </message>
    <message>
        <source>machine serial number</source>
        <translation>серийный номер машины</translation>
    </message>
    <message>
        <source>…</source>
        <translation>…</translation>
    </message>
    <message>
        <source>Choose the folder the job folders go into</source>
        <translation>Выберите папку, в которую попадают папки заданий</translation>
    </message>
    <message>
        <source>Machine serial:</source>
        <translation>Серийный номер машины:</translation>
    </message>
    <message>
        <source>VIN:</source>
        <translation>VIN:</translation>
    </message>
    <message>
        <source>Order number:</source>
        <translation>Номер заказа:</translation>
    </message>
    <message>
        <source>Engineer:</source>
        <translation>Инженер:</translation>
    </message>
    <message>
        <source>Notes:</source>
        <translation>Заметки:</translation>
    </message>
    <message>
        <source>Jobs folder:</source>
        <translation>Папка заданий:</translation>
    </message>
    <message>
        <source>The job takes an inventory of the bus now and when it is finished, records the traffic, every change the program makes to the machine and the bus around each change of a unit&apos;s trouble codes, and writes a report.</source>
        <translation>Задание снимает опись шины сейчас и при завершении, записывает трафик, каждое изменение, которое программа вносит в машину, и шину вокруг каждого изменения кодов неисправностей блока, и пишет отчёт.</translation>
    </message>
    <message>
        <source>Start job</source>
        <translation>Начать задание</translation>
    </message>
    <message>
        <source>Jobs folder</source>
        <translation>Папка заданий</translation>
    </message>
</context>
<context>
    <name>ServiceJobDock</name>
    <message>
        <source>not received</source>
        <translation>не получено</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2 OC %3</source>
        <translation>SPN %1 FMI %2 OC %3</translation>
    </message>
    <message>
        <source>done</source>
        <translation>выполнено</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>не удалось</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>отменено</translation>
    </message>
    <message>
        <source>Service job</source>
        <translation>Сервисное задание</translation>
    </message>
    <message>
        <source>Take inventory again</source>
        <translation>Снять опись снова</translation>
    </message>
    <message>
        <source>Listens and asks the units again; what it finds fills what the inventory as found missed</source>
        <translation>Слушает и опрашивает блоки снова; найденное дополняет то, чего не хватало в исходной описи</translation>
    </message>
    <message>
        <source>Finish job…</source>
        <translation>Завершить задание…</translation>
    </message>
    <message>
        <source>Open report</source>
        <translation>Открыть отчёт</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Открыть папку</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Блок</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>ECU</source>
        <translation>ЭБУ</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>ПО</translation>
    </message>
    <message>
        <source>Component</source>
        <translation>Компонент</translation>
    </message>
    <message>
        <source>VIN</source>
        <translation>VIN</translation>
    </message>
    <message>
        <source>Calibrations</source>
        <translation>Калибровки</translation>
    </message>
    <message>
        <source>Active codes</source>
        <translation>Активные коды</translation>
    </message>
    <message>
        <source>Previously active codes</source>
        <translation>Ранее активные коды</translation>
    </message>
    <message>
        <source>Values</source>
        <translation>Значения</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Изменение</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Итог</translation>
    </message>
    <message>
        <source>What</source>
        <translation>Что</translation>
    </message>
    <message>
        <source>#</source>
        <translation>№</translation>
    </message>
    <message>
        <source>Frames</source>
        <translation>Кадры</translation>
    </message>
    <message>
        <source>As found</source>
        <translation>Исходное состояние</translation>
    </message>
    <message>
        <source>As left</source>
        <translation>Конечное состояние</translation>
    </message>
    <message>
        <source>Difference</source>
        <translation>Различие</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>Изменения</translation>
    </message>
    <message>
        <source>Fault snapshots</source>
        <translation>Снимки неисправностей</translation>
    </message>
    <message>
        <source>No service job. File ▸ New service job… starts one.</source>
        <translation>Сервисного задания нет. Файл ▸ Новое сервисное задание… начинает его.</translation>
    </message>
    <message>
        <source>&lt;b&gt;%1&lt;/b&gt; — %2</source>
        <translation>&lt;b&gt;%1&lt;/b&gt; — %2</translation>
    </message>
    <message>
        <source>finished %1</source>
        <translation>завершено %1</translation>
    </message>
    <message>
        <source>taking the inventory…</source>
        <translation>снимается опись…</translation>
    </message>
    <message>
        <source>open since %1</source>
        <translation>открыто с %1</translation>
    </message>
    <message>
        <source>serial %1</source>
        <translation>серийный номер %1</translation>
    </message>
    <message>
        <source>VIN %1</source>
        <translation>VIN %1</translation>
    </message>
    <message>
        <source>order %1</source>
        <translation>заказ %1</translation>
    </message>
    <message>
        <source>engineer %1</source>
        <translation>инженер %1</translation>
    </message>
    <message>
        <source>Folder: %1</source>
        <translation>Папка: %1</translation>
    </message>
</context>
<context>
    <name>SetValueTestAction</name>
    <message>
        <source>No valid value read, nothing written</source>
        <translation>Верное значение не прочитано, ничего не записано</translation>
    </message>
</context>
<context>
    <name>SipsfSchemeTreeItem</name>
    <message>
        <source>Inputs</source>
        <translation>Входы</translation>
    </message>
    <message>
        <source>Switches</source>
        <translation>Переключатели</translation>
    </message>
    <message>
        <source>Buttons</source>
        <translation>Кнопки</translation>
    </message>
    <message>
        <source>Outputs</source>
        <translation>Выходы</translation>
    </message>
</context>
<context>
    <name>SnapshotPlot</name>
    <message>
        <source>time, s</source>
        <translation>время, с</translation>
    </message>
    <message>
        <source>No decoded parameters</source>
        <translation>Нет декодированных параметров</translation>
    </message>
</context>
<context>
    <name>SnapshotWriter</name>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <source>%1 is damaged: %2</source>
        <translation>%1 повреждён: %2</translation>
    </message>
    <message>
        <source>no list of snapshots</source>
        <translation>нет списка снимков</translation>
    </message>
    <message>
        <source>This job was written by a newer Tarvik (format %1)</source>
        <translation>Это задание записано более новой версией Tarvik (формат %1)</translation>
    </message>
    <message>
        <source>Cannot create the folder %1</source>
        <translation>Не удалось создать папку %1</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>SPN %1 FMI %2</source>
        <translation>SPN %1 FMI %2</translation>
    </message>
    <message>
        <source>gone: %1</source>
        <translation>исчезли: %1</translation>
    </message>
    <message>
        <source>appeared: %1</source>
        <translation>появились: %1</translation>
    </message>
    <message>
        <source>count changed: %1</source>
        <translation>изменился счётчик: %1</translation>
    </message>
    <message>
        <source>Active codes %1</source>
        <translation>Активные коды — %1</translation>
    </message>
</context>
<context>
    <name>SoftFunction</name>
    <message>
        <source>Software Identification</source>
        <translation>Идентификация ПО</translation>
    </message>
    <message>
        <source>ID Count</source>
        <translation>Число полей</translation>
    </message>
    <message>
        <source>Number of fields</source>
        <translation>Число полей</translation>
    </message>
    <message>
        <source>Software identification</source>
        <translation>Идентификация ПО</translation>
    </message>
</context>
<context>
    <name>SpnScaling</name>
    <message>
        <source>n/a</source>
        <translation>н/д</translation>
    </message>
    <message>
        <source>error</source>
        <translation>ошибка</translation>
    </message>
</context>
<context>
    <name>StandInJournal</name>
    <message>
        <source>Standing in for %1</source>
        <translation>Замещение блока: %1</translation>
    </message>
    <message>
        <source>No longer standing in for %1</source>
        <translation>Замещение окончено: %1</translation>
    </message>
    <message>
        <source>From %1 to %2</source>
        <translation>С %1 по %2</translation>
    </message>
</context>
<context>
    <name>StandInTestAction</name>
    <message>
        <source>The tool stands in for %1</source>
        <translation>Программа заменяет %1</translation>
    </message>
    <message>
        <source>%1 handed back to the machine</source>
        <translation>%1 возвращена машине</translation>
    </message>
    <message>
        <source>The tool sends for %1; wait a bit</source>
        <translation>Программа передаёт кадры за %1; подождите немного</translation>
    </message>
    <message>
        <source>The tool no longer sends for %1: its own frames are checked from now on</source>
        <translation>Программа больше не передаёт кадры за %1: дальше проверяются её собственные кадры</translation>
    </message>
    <message>
        <source>The unit of this step is no longer in the scheme</source>
        <translation>Устройства этого шага больше нет в схеме</translation>
    </message>
</context>
<context>
    <name>StateCheckTestAction</name>
    <message>
        <source>%1 state stability test</source>
        <translation>Проверка неизменности состояния %1</translation>
    </message>
    <message>
        <source>No state was saved to compare with</source>
        <translation>Нет сохранённого состояния для сравнения</translation>
    </message>
    <message>
        <source>The unit of this step is no longer in the scheme</source>
        <translation>Устройства этого шага больше нет в схеме</translation>
    </message>
    <message>
        <source>State mismatch in parameter %1</source>
        <translation>Несовпадение состояния в параметре %1</translation>
    </message>
</context>
<context>
    <name>StatusProgress</name>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Stop this work (Esc)</source>
        <translation>Остановить эту работу (Esc)</translation>
    </message>
    <message>
        <source>%1 %2 %</source>
        <translation>%1 %2 %</translation>
    </message>
</context>
<context>
    <name>SupportControllerAuxIoFunction</name>
    <message>
        <source>Auxiliary input/output states</source>
        <translation>Состояние дополнительных входов/выходов</translation>
    </message>
</context>
<context>
    <name>SupportIndicationPanelStateFunction</name>
    <message>
        <source>B1-Beep</source>
        <translation>B1-Сигнал</translation>
    </message>
    <message>
        <source>B2-Control Up</source>
        <translation>B2-Управление вверху</translation>
    </message>
    <message>
        <source>B3-Engine</source>
        <translation>B3-Двигатель</translation>
    </message>
    <message>
        <source>B4</source>
        <translation>B4</translation>
    </message>
    <message>
        <source>B5</source>
        <translation>B5</translation>
    </message>
    <message>
        <source>B6</source>
        <translation>B6</translation>
    </message>
    <message>
        <source>B7</source>
        <translation>B7</translation>
    </message>
    <message>
        <source>B8</source>
        <translation>B8</translation>
    </message>
    <message>
        <source>OUT1-Valve</source>
        <translation>OUT1-Клапан</translation>
    </message>
    <message>
        <source>OUT2-RPM2</source>
        <translation>OUT2-RPM2</translation>
    </message>
    <message>
        <source>OUT3-STOP2</source>
        <translation>OUT3-STOP2</translation>
    </message>
    <message>
        <source>OUT4-BEEP2</source>
        <translation>OUT4-BEEP2</translation>
    </message>
    <message>
        <source>OUT5</source>
        <translation>OUT5</translation>
    </message>
    <message>
        <source>OUT6</source>
        <translation>OUT6</translation>
    </message>
    <message>
        <source>OUT7</source>
        <translation>OUT7</translation>
    </message>
    <message>
        <source>OUT8</source>
        <translation>OUT8</translation>
    </message>
    <message>
        <source>OUT9</source>
        <translation>OUT9</translation>
    </message>
    <message>
        <source>OUT10</source>
        <translation>OUT10</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Состояние</translation>
    </message>
    <message>
        <source>BoomArmIn</source>
        <translation>Вход стрелы</translation>
    </message>
    <message>
        <source>BoomArm</source>
        <translation>Стрела</translation>
    </message>
    <message>
        <source>SupportIn</source>
        <translation>Вход опор</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Опоры</translation>
    </message>
</context>
<context>
    <name>SwitchStatus</name>
    <message>
        <source>00 - De-activate</source>
        <translation>00 - Выключено</translation>
    </message>
    <message>
        <source>01 - Activate</source>
        <translation>01 - Включено</translation>
    </message>
    <message>
        <source>10 - Fault Detected</source>
        <translation>10 - Неисправность</translation>
    </message>
    <message>
        <source>11 - Not Available</source>
        <translation>11 - Нет данных</translation>
    </message>
</context>
<context>
    <name>TimelineSpans</name>
    <message>
        <source>as expected</source>
        <translation>как ожидалось</translation>
    </message>
    <message>
        <source>late or too fast</source>
        <translation>с опозданием или слишком часто</translation>
    </message>
    <message>
        <source>silent or missing</source>
        <translation>молчит или отсутствует</translation>
    </message>
    <message>
        <source>out of range, error or trouble code</source>
        <translation>вне диапазона, ошибка или код неисправности</translation>
    </message>
    <message>
        <source>unexpected</source>
        <translation>неожиданный</translation>
    </message>
    <message>
        <source>at another address</source>
        <translation>по другому адресу</translation>
    </message>
    <message>
        <source>transport or bus load</source>
        <translation>транспортный протокол или загрузка шины</translation>
    </message>
</context>
<context>
    <name>TrafficCalculator</name>
    <message numerus="yes">
        <source>%n msg / %1 s</source>
        <translation>
            <numerusform>%n сообщ. / %1 с</numerusform>
            <numerusform>%n сообщ. / %1 с</numerusform>
            <numerusform>%n сообщ. / %1 с</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TuneFunction</name>
    <message>
        <source>Tune variables</source>
        <translation>Настроечные переменные</translation>
    </message>
</context>
<context>
    <name>TuneVariable</name>
    <message>
        <source>Confirm</source>
        <translation>Подтверждение</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Restricted</source>
        <translation>Доступ запрещён</translation>
    </message>
    <message>
        <source>Unavailable</source>
        <translation>Недоступно</translation>
    </message>
    <message>
        <source>no value</source>
        <translation>нет значения</translation>
    </message>
    <message>
        <source>Waiting for unit %1</source>
        <translation>Ожидание ответа блока %1</translation>
    </message>
    <message>
        <source>%1, read from unit %2</source>
        <translation>%1, прочитано из блока %2</translation>
    </message>
    <message>
        <source>Unit %1 has no value for it</source>
        <translation>У блока %1 нет значения этой переменной</translation>
    </message>
    <message>
        <source>%1, written to unit %2</source>
        <translation>%1, записано в блок %2</translation>
    </message>
    <message>
        <source>Unit %1 refused the write: %2</source>
        <translation>Блок %1 отклонил запись: %2</translation>
    </message>
    <message>
        <source>No answer from unit %1</source>
        <translation>Нет ответа от блока %1</translation>
    </message>
    <message>
        <source>%1, unit 0x%2</source>
        <translation>%1, блок 0x%2</translation>
    </message>
    <message>
        <source>Tune variable %1 read: %2</source>
        <translation>Переменная настройки %1 прочитана: %2</translation>
    </message>
    <message>
        <source>not read</source>
        <translation>не прочитано</translation>
    </message>
    <message>
        <source>Tune variable %1 written: %2</source>
        <translation>Переменная настройки %1 записана: %2</translation>
    </message>
    <message>
        <source>Tune variable %1: the unit refused %2</source>
        <translation>Переменная настройки %1: блок отклонил %2</translation>
    </message>
    <message>
        <source>Tune variable %1: no answer to the write of %2</source>
        <translation>Переменная настройки %1: нет ответа на запись %2</translation>
    </message>
    <message>
        <source>%1: %2 → %3</source>
        <translation>%1: %2 → %3</translation>
    </message>
</context>
<context>
    <name>TuneVariableSchemeTreeItem</name>
    <message>
        <source>Get value</source>
        <translation>Прочитать значение</translation>
    </message>
    <message>
        <source>Set value</source>
        <translation>Записать значение</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Блок</translation>
    </message>
    <message>
        <source>Last write accepted</source>
        <translation>Последняя запись принята</translation>
    </message>
    <message>
        <source>Reads the value from the unit</source>
        <translation>Читает значение из блока</translation>
    </message>
    <message>
        <source>Writes the value above to the unit</source>
        <translation>Записывает указанное выше значение в блок</translation>
    </message>
    <message>
        <source>This value cannot be written: choose U8, S16 or Float, and not the largest value of U8 or -1 of S16 (they mean &quot;not available&quot;)</source>
        <translation>Это значение нельзя записать: выберите U8, S16 или Float и не наибольшее значение U8 или -1 для S16 (они означают «нет данных»)</translation>
    </message>
</context>
<context>
    <name>UnitActions</name>
    <message>
        <source>Test</source>
        <translation>Тест</translation>
    </message>
    <message>
        <source>Memory access…</source>
        <translation>Доступ к памяти…</translation>
    </message>
    <message>
        <source>Flashing…</source>
        <translation>Прошивка…</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Идентификация</translation>
    </message>
    <message>
        <source>Right-click the row of a unit</source>
        <translation>Щёлкните правой кнопкой строку блока</translation>
    </message>
    <message>
        <source>%1 is no J1939 unit with an address</source>
        <translation>%1 — не блок J1939 с адресом</translation>
    </message>
    <message>
        <source>%1 is the tool itself</source>
        <translation>%1 — это сама программа</translation>
    </message>
    <message>
        <source>There is no acceptance test for %1</source>
        <translation>Для %1 нет приёмочного теста</translation>
    </message>
    <message>
        <source>Waiting for the identification of %1</source>
        <translation>Ожидается идентификация %1</translation>
    </message>
    <message>
        <source>Select a unit with an acceptance test, or a kind with a test in Devices</source>
        <translation>Выберите блок с приёмочным тестом или вид блока с тестом в «Устройствах»</translation>
    </message>
    <message>
        <source>0x%1 is held by %2: the flasher cannot be added</source>
        <translation>Адрес 0x%1 занят блоком %2: прошивальщик добавить нельзя</translation>
    </message>
    <message>
        <source>The flasher could not be added</source>
        <translation>Не удалось добавить прошивальщик</translation>
    </message>
    <message>
        <source>%1 cannot take a memory access function</source>
        <translation>К %1 нельзя добавить функцию доступа к памяти</translation>
    </message>
    <message>
        <source>Memory access to %1 through %2</source>
        <translation>Доступ к памяти %1 через %2</translation>
    </message>
    <message>
        <source>A program transfer is running: its target stays</source>
        <translation>Идёт передача программы: её адресат не меняется</translation>
    </message>
    <message>
        <source>A program transfer is running: no requests meanwhile</source>
        <translation>Идёт передача программы: запросы пока невозможны</translation>
    </message>
    <message>
        <source>Asking %1 for its identification…</source>
        <translation>%1: запрос идентификации…</translation>
    </message>
    <message>
        <source>No bus connection: nothing was asked</source>
        <translation>Нет связи с шиной: ничего не запрошено</translation>
    </message>
</context>
<context>
    <name>UnitNames</name>
    <message>
        <source>Unit 0x%1</source>
        <translation>Блок 0x%1</translation>
    </message>
</context>
<context>
    <name>Units</name>
    <message>
        <source>V</source>
        <translation>В</translation>
    </message>
    <message>
        <source>A</source>
        <translation>А</translation>
    </message>
    <message>
        <source>kPa</source>
        <translation>кПа</translation>
    </message>
    <message>
        <source>C degree</source>
        <translation>°C</translation>
    </message>
    <message>
        <source>rpm</source>
        <translation>об/мин</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>km/L</source>
        <translation>км/л</translation>
    </message>
    <message>
        <source>km/h</source>
        <translation>км/ч</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>мс</translation>
    </message>
</context>
<context>
    <name>UnknownPgnFactory</name>
    <message>
        <source>Unknown PGN</source>
        <translation>Неизвестная PGN</translation>
    </message>
    <message>
        <source>Z-Bus data</source>
        <translation>Данные Z-Bus</translation>
    </message>
    <message>
        <source>Machine State</source>
        <translation>Состояние машины</translation>
    </message>
    <message>
        <source>Can Flasher</source>
        <translation>Прошивка по CAN</translation>
    </message>
    <message>
        <source>EMR2 - Engine Stop Request</source>
        <translation>EMR2 - запрос останова двигателя</translation>
    </message>
    <message>
        <source>Engine Controller Calibration</source>
        <translation>Калибровка контроллера двигателя</translation>
    </message>
</context>
<context>
    <name>UnknownPgnFunction</name>
    <message>
        <source>DATA</source>
        <translation>ДАННЫЕ</translation>
    </message>
</context>
<context>
    <name>UnknownSidDevice</name>
    <message>
        <source>DATA</source>
        <translation>ДАННЫЕ</translation>
    </message>
</context>
<context>
    <name>VehicleIdFunction</name>
    <message>
        <source>Vehicle Identification</source>
        <translation>Идентификация машины</translation>
    </message>
    <message>
        <source>Vehicle identification number</source>
        <translation>Идентификационный номер машины</translation>
    </message>
</context>
<context>
    <name>WaitGetMatchTestAction</name>
    <message>
        <source>No valid value read, nothing written</source>
        <translation>Верное значение не прочитано, ничего не записано</translation>
    </message>
    <message>
        <source>Controller doesn&apos;t respond with variable value</source>
        <translation>Контроллер не отвечает значением переменной</translation>
    </message>
    <message>
        <source>FRAM failure, values mismatch %1 instead of %2</source>
        <translation>Сбой FRAM, значения не совпадают: %1 вместо %2</translation>
    </message>
</context>
<context>
    <name>WaitGetValueTestAction</name>
    <message>
        <source>Controller doesn&apos;t respond with tune variable value</source>
        <translation>Контроллер не отвечает значением переменной настройки</translation>
    </message>
    <message>
        <source>Invalid variant type</source>
        <translation>Неверный тип значения</translation>
    </message>
</context>
<context>
    <name>WaitRestoreTestAction</name>
    <message>
        <source>Controller doesn&apos;t respond with tune variable value</source>
        <translation>Контроллер не отвечает значением переменной настройки</translation>
    </message>
    <message>
        <source>The original tune variable value could not be restored</source>
        <translation>Не удалось восстановить исходное значение переменной настройки</translation>
    </message>
</context>
<context>
    <name>WaitSetValueTestAction</name>
    <message>
        <source>No valid value read, nothing written</source>
        <translation>Верное значение не прочитано, ничего не записано</translation>
    </message>
    <message>
        <source>Controller doesn&apos;t respond with tune variable value</source>
        <translation>Контроллер не отвечает значением переменной настройки</translation>
    </message>
    <message>
        <source>Controller didn&apos;t accept new tune variable value</source>
        <translation>Контроллер не принял новое значение переменной настройки</translation>
    </message>
</context>
<context>
    <name>WindowBuses</name>
    <message>
        <source>Add Bus…</source>
        <translation>Добавить шину…</translation>
    </message>
    <message>
        <source>Remove Bus</source>
        <translation>Убрать шину</translation>
    </message>
    <message>
        <source>Show Bus</source>
        <translation>Показать шину</translation>
    </message>
    <message>
        <source>Opens a further adapter or recording as a bus of its own: its units are listed under it</source>
        <translation>Открывает ещё один адаптер или запись как отдельную шину; её блоки показаны под ней</translation>
    </message>
    <message>
        <source>Closes the bus of the selected row; the scheme file keeps its units</source>
        <translation>Закрывает шину выбранной строки; файл схемы сохраняет её блоки</translation>
    </message>
    <message>
        <source>Add bus</source>
        <translation>Добавление шины</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>The window has a bus %1 already</source>
        <translation>В окне уже есть шина %1</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Воспроизвести</translation>
    </message>
    <message>
        <source>A recording…</source>
        <translation>Запись…</translation>
    </message>
    <message>
        <source>Remove bus</source>
        <translation>Удаление шины</translation>
    </message>
    <message>
        <source>Close bus %1? The scheme file keeps its units.</source>
        <translation>Закрыть шину %1? Файл схемы сохранит её блоки.</translation>
    </message>
    <message>
        <source>All buses</source>
        <translation>Все шины</translation>
    </message>
    <message>
        <source>Bus load: %1</source>
        <translation>Загрузка шины: %1</translation>
    </message>
    <message>
        <source>Bus load:</source>
        <translation>Загрузка шины:</translation>
    </message>
    <message>
        <source>Bus %1 added; Auto add (Ctrl+G) lists its units</source>
        <translation>Шина %1 добавлена; её блоки покажет «Автодобавление» (Ctrl+G)</translation>
    </message>
    <message>
        <source>Bus %1 added</source>
        <translation>Шина %1 добавлена</translation>
    </message>
</context>
<context>
    <name>ZBusDevice</name>
    <message>
        <source>Sensor Fault</source>
        <translation>Неисправность датчика</translation>
    </message>
    <message>
        <source>Not implemented</source>
        <translation>Не реализовано</translation>
    </message>
</context>
<context>
    <name>ZBusDeviceFactory</name>
    <message>
        <source>Unknown ZBus device</source>
        <translation>Неизвестное устройство ZBus</translation>
    </message>
    <message>
        <source>ZSA-01</source>
        <translation>ZSA-01</translation>
    </message>
    <message>
        <source>ZSA-T</source>
        <translation>ZSA-T</translation>
    </message>
    <message>
        <source>ZSE</source>
        <translation>ZSE</translation>
    </message>
    <message>
        <source>ZSD</source>
        <translation>ZSD</translation>
    </message>
    <message>
        <source>ZSK</source>
        <translation>ZSK</translation>
    </message>
    <message>
        <source>ZSL</source>
        <translation>ZSL</translation>
    </message>
    <message>
        <source>ZSB</source>
        <translation>ZSB</translation>
    </message>
    <message>
        <source>ZSH</source>
        <translation>ZSH</translation>
    </message>
    <message>
        <source>ZSC</source>
        <translation>ZSC</translation>
    </message>
    <message>
        <source>ZSJ</source>
        <translation>ZSJ</translation>
    </message>
</context>
<context>
    <name>ZBusSensor</name>
    <message>
        <source>F</source>
        <translation>F</translation>
    </message>
    <message>
        <source>IN</source>
        <translation>IN</translation>
    </message>
    <message>
        <source>P</source>
        <translation>P</translation>
    </message>
    <message>
        <source>E</source>
        <translation>E</translation>
    </message>
    <message>
        <source>ANG</source>
        <translation>УГОЛ</translation>
    </message>
    <message>
        <source>IN1</source>
        <translation>IN1</translation>
    </message>
    <message>
        <source>IN2</source>
        <translation>IN2</translation>
    </message>
    <message>
        <source>IN3</source>
        <translation>IN3</translation>
    </message>
    <message>
        <source>LEN</source>
        <translation>ДЛИНА</translation>
    </message>
    <message>
        <source>L</source>
        <translation>L</translation>
    </message>
    <message>
        <source>T</source>
        <translation>T</translation>
    </message>
    <message>
        <source>WIND</source>
        <translation>ВЕТЕР</translation>
    </message>
</context>
<context>
    <name>ZxParameter</name>
    <message>
        <source>n/a</source>
        <translation>н/д</translation>
    </message>
    <message>
        <source>error</source>
        <translation>ошибка</translation>
    </message>
</context>
<context>
    <name>ZxParameterLink</name>
    <message>
        <source>%1 - %2</source>
        <translation>%1 - %2</translation>
    </message>
</context>
<context>
    <name>ZxVariantWidget</name>
    <message>
        <source>U8</source>
        <translation>U8</translation>
    </message>
    <message>
        <source>S16</source>
        <translation>S16</translation>
    </message>
    <message>
        <source>S32</source>
        <translation>S32</translation>
    </message>
    <message>
        <source>Float</source>
        <translation>Float</translation>
    </message>
</context>
</TS>
