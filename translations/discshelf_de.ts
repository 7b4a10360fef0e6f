<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
        <source> (Split file)</source>
        <translation> (geteilte Datei)</translation>
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
</context>
<context>
    <name>main</name>
    <message>
        <source>Manages the ISO images on a discwand USB stick: choose the image it boots, copy images to it.</source>
        <translation>Verwaltet die ISO-Abbilder auf einem discwand-USB-Stick: wählt das Abbild, das er startet, und kopiert Abbilder auf ihn.</translation>
    </message>
</context>
</TS>
