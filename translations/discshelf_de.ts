<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CopyProgress</name>
    <message>
        <source>a few seconds</source>
        <translation>ein paar Sekunden</translation>
    </message>
    <message>
        <source>about %1 s</source>
        <translation>etwa %1 s</translation>
    </message>
    <message>
        <source>about %1 min</source>
        <translation>etwa %1 min</translation>
    </message>
    <message>
        <source>about %1 h</source>
        <translation>etwa %1 h</translation>
    </message>
    <message>
        <source>about %1 h %2 min</source>
        <translation>etwa %1 h %2 min</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>, %1/s, %2 left</source>
        <translation>, %1/s, noch %2</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message numerus="yes">
        <source>Copied %n image(s) (%1) in %2</source>
        <translation>
            <numerusform>%n Abbild (%1) in %2 kopiert</numerusform>
            <numerusform>%n Abbilder (%1) in %2 kopiert</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CopyStatus</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: checking the copy, %2%</source>
        <translation>%1: Kopie wird geprüft, %2 %</translation>
    </message>
</context>
<context>
    <name>ScsiDriveDetector</name>
    <message>
        <source>Fatal Error</source>
        <translation>Schwerwiegender Fehler</translation>
    </message>
    <message>
        <source>Failed to create IWbemLocator object. Error code 0x%1
If this problem persists, please contact </source>
        <translation>Das IWbemLocator-Objekt konnte nicht erzeugt werden. Fehlercode 0x%1
Wenn das Problem bestehen bleibt, wenden Sie sich bitte an </translation>
    </message>
    <message>
        <source>Couldn&apos;t connect to local wbem thingy. Error code 0x%1
If this problem persists, please contact </source>
        <translation>Keine Verbindung zum lokalen WBEM-Dings. Fehlercode 0x%1
Wenn das Problem bestehen bleibt, wenden Sie sich bitte an </translation>
    </message>
</context>
<context>
    <name>StickCheck</name>
    <message>
        <source>%1 was left by an interrupted copy</source>
        <translation>%1 blieb von einer abgebrochenen Kopie übrig</translation>
    </message>
    <message>
        <source>%1 has parts missing or of the wrong size</source>
        <translation>Bei %1 fehlen Teile oder sind falsch groß</translation>
    </message>
    <message>
        <source>%1 has no boot record: it will not boot</source>
        <translation>%1 hat keinen Boot-Eintrag: es startet nicht</translation>
    </message>
    <message>
        <source>%1 is no ISO 9660 image: it will not boot</source>
        <translation>%1 ist kein ISO-9660-Abbild: es startet nicht</translation>
    </message>
    <message>
        <source>The discwand is set to boot %1, which is not on it</source>
        <translation>Der Discwand soll %1 starten, das nicht auf ihm liegt</translation>
    </message>
    <message>
        <source>The selector program config/wandmenu.bin is missing</source>
        <translation>Das Auswahlprogramm config/wandmenu.bin fehlt</translation>
    </message>
</context>
<context>
    <name>StickOverview</name>
    <message numerus="yes">
        <source>%n problem(s)</source>
        <translation>
            <numerusform>%n Problem</numerusform>
            <numerusform>%n Probleme</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, %2 free</source>
        <translation>%1, %2 frei</translation>
    </message>
    <message>
        <source>read-only switch set</source>
        <translation>Schreibschutz an</translation>
    </message>
    <message>
        <source>writable</source>
        <translation>beschreibbar</translation>
    </message>
    <message>
        <source>Choose an image to boot</source>
        <translation>Startabbild wählen</translation>
    </message>
    <message>
        <source>Select the image the discwand should boot and click Load ISO.</source>
        <translation>Wählen Sie das Abbild, das der Discwand starten soll, und klicken Sie auf ISO laden.</translation>
    </message>
    <message>
        <source>Remove it?</source>
        <translation>Entfernen?</translation>
    </message>
    <message>
        <source>%1
Remove it from the discwand? This frees %2.</source>
        <translation>%1
Vom Discwand entfernen? Das gibt %2 frei.</translation>
    </message>
    <message>
        <source>Not removed</source>
        <translation>Nicht entfernt</translation>
    </message>
    <message>
        <source>%1 could not be removed entirely.</source>
        <translation>%1 konnte nicht vollständig entfernt werden.</translation>
    </message>
</context>
<context>
    <name>WandmenuFetch</name>
    <message>
        <source>The server sent nothing for %1 seconds.</source>
        <translation>Der Server hat %1 Sekunden lang nichts gesendet.</translation>
    </message>
</context>
<context>
    <name>discShelf</name>
    <message>
        <source>Checking: </source>
        <translation>Prüfe: </translation>
    </message>
    <message>
        <source>File too large!</source>
        <translation>Datei zu groß!</translation>
    </message>
    <message>
        <source>The file &apos;%1&apos; is over the maximum limit of ~38GiB,
it will not be copied. Sorry for any inconvenience.

If this is a serious problem, please contact </source>
        <translation>Die Datei „%1“ ist größer als die Höchstgrenze von etwa 38 GiB
und wird nicht kopiert. Bitte entschuldigen Sie.

Wenn das für Sie ein ernstes Problem ist, wenden Sie sich bitte an </translation>
    </message>
    <message>
        <source>File exists!</source>
        <translation>Datei existiert bereits!</translation>
    </message>
    <message>
        <source>The file &apos;%1&apos; already exists on your discwand. Overwrite?</source>
        <translation>Die Datei „%1“ gibt es auf Ihrem discwand schon. Überschreiben?</translation>
    </message>
    <message>
        <source>Couldn&apos;t create path on discwand.</source>
        <translation>Der Pfad auf dem discwand konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Couldn&apos;t open destination file.</source>
        <translation>Die Zieldatei konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Couldn&apos;t open source file.</source>
        <translation>Die Quelldatei konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Couldn&apos;t write to destination file (out of space?).</source>
        <translation>In die Zieldatei konnte nicht geschrieben werden (kein Platz mehr?).</translation>
    </message>
    <message>
        <source>Couldn&apos;t read from source file.</source>
        <translation>Aus der Quelldatei konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Couldn&apos;t rename temporary file.</source>
        <translation>Die temporäre Datei konnte nicht umbenannt werden.</translation>
    </message>
    <message>
        <source>Uknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Copy failed!</source>
        <translation>Kopieren fehlgeschlagen!</translation>
    </message>
    <message>
        <source>File: %1
Error: %2

If this problem persists please contact </source>
        <translation>Datei: %1
Fehler: %2

Wenn das Problem bestehen bleibt, wenden Sie sich bitte an </translation>
    </message>
    <message>
        <source>File %1 of %2</source>
        <translation>Datei %1 von %2</translation>
    </message>
    <message>
        <source>&lt;Waiting for an discwand to appear&gt;</source>
        <translation>&lt;Warte auf einen discwand&gt;</translation>
    </message>
    <message>
        <source>wandmenu is missing!</source>
        <translation>wandmenu fehlt!</translation>
    </message>
    <message>
        <source>It looks like you haven&apos;t installed wandmenu yet,
would you like me to download it for you?

You can also download it from </source>
        <translation>Anscheinend ist wandmenu noch nicht installiert.
Soll ich es für Sie herunterladen?

Sie können es auch selbst herunterladen: </translation>
    </message>
    <message>
        <source>
and place it in the /config directory.</source>
        <translation>
Legen Sie es dann in den Ordner /config.</translation>
    </message>
    <message>
        <source>Download failed!</source>
        <translation>Herunterladen fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Couldn&apos;t download wandmenu.bin:
</source>
        <translation>wandmenu.bin konnte nicht heruntergeladen werden:
</translation>
    </message>
    <message>
        <source>

You can also download it from </source>
        <translation>

Sie können es auch selbst herunterladen: </translation>
    </message>
    <message>
        <source>Cannot write!</source>
        <translation>Schreiben nicht möglich!</translation>
    </message>
    <message>
        <source>Could not write wandmenu.bin to your discwand.
Please check the read-only switch.</source>
        <translation>wandmenu.bin konnte nicht auf Ihren discwand geschrieben werden.
Bitte prüfen Sie den Schreibschutzschalter.</translation>
    </message>
    <message>
        <source>Couldn&apos;t write to discwand</source>
        <translation>Schreiben auf den discwand nicht möglich</translation>
    </message>
    <message>
        <source>Couldn&apos;t get write access to your discwand.
Please check that the read-only switch is in the read/write position.
You may need to replug the discwand for this to take effect.

If this problem persists, contact </source>
        <translation>Kein Schreibzugriff auf Ihren discwand.
Bitte prüfen Sie, ob der Schreibschutzschalter auf Lesen/Schreiben steht.
Damit das wirkt, müssen Sie den discwand eventuell aus- und wieder einstecken.

Wenn das Problem bestehen bleibt, wenden Sie sich an </translation>
    </message>
    <message>
        <source>Ignoring non-ISO files!</source>
        <translation>Andere Dateien als ISO werden übergangen!</translation>
    </message>
    <message>
        <source>You dropped some non-ISO files here.
I&apos;m only going to copy ISO files, and ignore the others.

If that&apos;s not okay with you, hit Abort and I won&apos;t do anything.
Otherwise, hit Ok and I&apos;ll go ahead and copy only the ISO files.</source>
        <translation>Sie haben hier auch Dateien abgelegt, die keine ISO-Dateien sind.
Ich kopiere nur die ISO-Dateien und übergehe die anderen.

Wenn Ihnen das nicht recht ist, klicken Sie auf „Abbrechen“, dann tue ich gar nichts.
Andernfalls klicken Sie auf „OK“, und ich kopiere nur die ISO-Dateien.</translation>
    </message>
    <message>
        <source>discwand disappeared!</source>
        <translation>discwand verschwunden!</translation>
    </message>
    <message>
        <source>The discwand disappeared, interrupting an ongoing operation.
If you believe this message is in error, please contact </source>
        <translation>Der discwand ist verschwunden und hat einen laufenden Vorgang unterbrochen.
Wenn Sie diese Meldung für einen Irrtum halten, wenden Sie sich bitte an </translation>
    </message>
    <message>
        <source>&lt;Searching for your discwand&gt;</source>
        <translation>&lt;Suche Ihren discwand&gt;</translation>
    </message>
    <message>
        <source>&lt;Couldn&apos;t look for your discwand. Click Refresh to try again.&gt;</source>
        <translation>&lt;Konnte nicht nach Ihrem discwand suchen. Klicken Sie auf „Aktualisieren“, um es noch einmal zu versuchen.&gt;</translation>
    </message>
    <message>
        <source>The copy on the discwand differs from the file; it was removed so that it is never booted.</source>
        <translation>Die Kopie auf dem discwand weicht von der Datei ab; sie wurde entfernt, damit sie nie gestartet wird.</translation>
    </message>
    <message>
        <source>The discwand disappeared.</source>
        <translation>Der discwand ist verschwunden.</translation>
    </message>
    <message>
        <source>The discwand is full.</source>
        <translation>Der discwand ist voll.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has no boot record.</source>
        <translation>„%1“ hat keinen Boot-Eintrag.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no ISO 9660 image.</source>
        <translation>„%1“ ist kein ISO-9660-Abbild.</translation>
    </message>
    <message>
        <source>Image will not boot</source>
        <translation>Abbild startet nicht</translation>
    </message>
    <message>
        <source>The discwand cannot start a computer from it.

Copy it anyway?</source>
        <translation>Der Discwand kann keinen Rechner davon starten.

Trotzdem kopieren?</translation>
    </message>
    <message>
        <source>There is no room for both: the old image is removed before the new one is copied, so stopping the copy leaves neither.</source>
        <translation>Für beide ist kein Platz: Das alte Abbild wird entfernt, bevor das neue kopiert wird; wer die Kopie abbricht, behält keines von beiden.</translation>
    </message>
    <message>
        <source>Not enough room!</source>
        <translation>Nicht genug Platz!</translation>
    </message>
    <message>
        <source>These images do not fit in the %1 left on your discwand:
%2

Copy the others?</source>
        <translation>Diese Abbilder passen nicht in die %1, die auf Ihrem Discwand frei sind:
%2

Die anderen kopieren?</translation>
    </message>
    <message>
        <source>Not a file!</source>
        <translation>Keine Datei!</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not an ordinary file (it may be a pipe or a device) and will not be copied.</source>
        <translation>„%1“ ist keine gewöhnliche Datei (vielleicht eine Pipe oder ein Gerät) und wird nicht kopiert.</translation>
    </message>
    <message>
        <source>The discwand will boot %1 from now on.</source>
        <translation>Der Discwand startet ab jetzt %1.</translation>
    </message>
    <message>
        <source>Can&apos;t load this image</source>
        <translation>Dieses Abbild kann nicht geladen werden</translation>
    </message>
    <message>
        <source>The discwand is told which image to load in Western European letters (Latin-1) only, and &quot;%1&quot; has other characters. Rename it to load it.</source>
        <translation>Der Discwand versteht den Namen des zu ladenden Abbilds nur in westeuropäischen Buchstaben (Latin-1), und „%1“ enthält andere Zeichen. Benennen Sie es um, um es zu laden.</translation>
    </message>
    <message>
        <source>Stop copying?</source>
        <translation>Kopieren abbrechen?</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is being copied to your discwand. Stop the copy and quit?
The images already on the discwand stay as they are.</source>
        <translation>„%1“ wird auf Ihren Discwand kopiert. Kopie abbrechen und beenden?
Die Abbilder, die schon auf dem Discwand sind, bleiben, wie sie sind.</translation>
    </message>
    <message>
        <source>Copy not stopped</source>
        <translation>Kopie nicht abgebrochen</translation>
    </message>
    <message>
        <source>The copy of &quot;%1&quot; could not be stopped: its source does not answer. Discshelf quits anyway; what the copy wrote so far stays hidden on the discwand and never takes the place of an image.</source>
        <translation>Die Kopie von „%1“ ließ sich nicht abbrechen: Ihre Quelle antwortet nicht. Discshelf wird trotzdem beendet; was die Kopie bisher geschrieben hat, bleibt verborgen auf dem Discwand und ersetzt nie ein Abbild.</translation>
    </message>
</context>
<context>
    <name>discShelfClass</name>
    <message>
        <source>discShelf</source>
        <translation>discShelf</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <source>&amp;Load ISO</source>
        <translation>ISO &amp;laden</translation>
    </message>
    <message>
        <source>File 1 of 5</source>
        <translation>Datei 1 von 5</translation>
    </message>
    <message>
        <source>Cancel All</source>
        <translation>Alle abbrechen</translation>
    </message>
    <message>
        <source>blah.iso</source>
        <translation>blah.iso</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>LED Brightness</source>
        <translation>LED-Helligkeit</translation>
    </message>
    <message>
        <source>Scanning for ISOs...</source>
        <translation>Suche nach ISO-Dateien...</translation>
    </message>
    <message>
        <source>&amp;Abort Scan</source>
        <translation>&amp;Suche abbrechen</translation>
    </message>
    <message>
        <source>&amp;Verify copies</source>
        <translation>Kopien &amp;prüfen</translation>
    </message>
    <message>
        <source>Read each copy back from the discwand and compare it with its file</source>
        <translation>Jede Kopie vom Discwand zurücklesen und mit ihrer Datei vergleichen</translation>
    </message>
    <message>
        <source>wandmenu.bin</source>
        <translation>wandmenu.bin</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation>&amp;Stopp</translation>
    </message>
</context>
<context>
    <name>isoTreeWidget</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message numerus="yes">
        <source>Split file: %n parts</source>
        <translation>
            <numerusform>Geteilte Datei: %n Teil</numerusform>
            <numerusform>Geteilte Datei: %n Teile</numerusform>
        </translation>
    </message>
    <message>
        <source>Volume label: %1</source>
        <translation>Datenträgername: %1</translation>
    </message>
    <message>
        <source>Made: %1</source>
        <translation>Erstellt: %1</translation>
    </message>
    <message>
        <source>Will not boot</source>
        <translation>Startet nicht</translation>
    </message>
    <message>
        <source>Loads when the discwand boots</source>
        <translation>Wird geladen, wenn der Discwand startet</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Manages the ISO images on a discwand USB stick: choose the image it boots, copy images to it.</source>
        <translation>Verwaltet die ISO-Abbilder auf einem discwand-USB-Stick: wählt das Abbild, das er startet, und kopiert Abbilder auf ihn.</translation>
    </message>
</context>
</TS>
