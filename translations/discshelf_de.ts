<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AddressDialog</name>
    <message>
        <source>Get Image from Address</source>
        <translation>Abbild von Adresse holen</translation>
    </message>
    <message>
        <source>optional: SHA-256, or the address of SHA256SUMS</source>
        <translation>wahlweise: SHA-256 oder die Adresse von SHA256SUMS</translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation>&amp;Adresse:</translation>
    </message>
    <message>
        <source>&amp;Folder on the discwand:</source>
        <translation>&amp;Ordner auf dem discwand:</translation>
    </message>
    <message>
        <source>&amp;Checksum:</source>
        <translation>&amp;Prüfsumme:</translation>
    </message>
</context>
<context>
    <name>AllSticksCopy</name>
    <message>
        <source>%1: the discwand went away.</source>
        <translation>%1: Der discwand ist verschwunden.</translation>
    </message>
    <message>
        <source>%1: the discwand is read-only; nothing is copied to it.</source>
        <translation>%1: Der discwand ist schreibgeschützt; nichts wird auf ihn kopiert.</translation>
    </message>
    <message>
        <source>Stopping the copies (press Ctrl+C again to quit at once)...</source>
        <translation>Die Kopien werden angehalten (erneut Strg+C beendet sofort)...</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n image(s) copied, exit status %2.</source>
        <translation>
            <numerusform>%1: %n Abbild kopiert, Rückgabewert %2.</numerusform>
            <numerusform>%1: %n Abbilder kopiert, Rückgabewert %2.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CheckCommand</name>
    <message>
        <source>Look for problems on the discwand; --repair removes what can safely go.</source>
        <translation>Nach Problemen auf dem discwand suchen; --repair entfernt, was gefahrlos weg kann.</translation>
    </message>
    <message>
        <source>Apply the safe repairs.</source>
        <translation>Die gefahrlosen Reparaturen ausführen.</translation>
    </message>
    <message>
        <source>Print the problems as JSON.</source>
        <translation>Die Probleme als JSON ausgeben.</translation>
    </message>
    <message>
        <source>check takes no arguments.</source>
        <translation>check nimmt keine Argumente.</translation>
    </message>
    <message>
        <source>repaired: %1</source>
        <translation>repariert: %1</translation>
    </message>
    <message>
        <source>No problems found.</source>
        <translation>Keine Probleme gefunden.</translation>
    </message>
    <message>
        <source>&apos;check --repair&apos; removes the leftovers and broken images.</source>
        <translation>„check --repair“ entfernt die Reste und beschädigten Abbilder.</translation>
    </message>
    <message>
        <source>Finds what interrupted copies left, split images with parts missing, a boot choice naming no image, images that will not boot and a missing selector program. --repair removes the leftovers and the broken images. Exit status 8 while problems are left, 9 while a copy is under way on the stick.</source>
        <translation>Findet, was abgebrochene Kopien hinterlassen haben, geteilte Abbilder mit fehlenden Teilen, eine Startauswahl ohne Abbild, Abbilder, die nicht starten, und ein fehlendes Auswahlprogramm. --repair entfernt die Reste und die beschädigten Abbilder. Rückgabewert 8, solange Probleme bleiben, 9, solange auf dem Stick eine Kopie läuft.</translation>
    </message>
</context>
<context>
    <name>Command</name>
    <message>
        <source>Try &apos;%1 %2 --help&apos;.</source>
        <translation>Mehr dazu: „%1 %2 --help“.</translation>
    </message>
</context>
<context>
    <name>CopyCommand</name>
    <message>
        <source>Copy ISO images (or folders holding them) to the discwand, read back and compared.</source>
        <translation>ISO-Abbilder (oder Ordner mit ihnen) auf den discwand kopieren, zurückgelesen und verglichen.</translation>
    </message>
    <message>
        <source>Images above 4,096,000,000 bytes are split into numbered parts. A copy replaces an image only once it is whole; Ctrl+C stops it and leaves the stick as it was. Files that are no ISO images are left out, and so are images that do not fit in the room left (the others are copied, exit status 5). With --overwrite, an image without room beside its old one is written after the old one is removed. The path of each image copied is printed on standard output.</source>
        <translation>Abbilder über 4.096.000.000 Bytes werden in nummerierte Teile geteilt. Eine Kopie ersetzt ein Abbild erst, wenn sie vollständig ist; Strg+C hält sie an und lässt den Stick, wie er war. Dateien, die keine ISO-Abbilder sind, werden ausgelassen, ebenso Abbilder, die nicht in den freien Platz passen (die anderen werden kopiert, Exit-Status 5). Mit --overwrite wird ein Abbild, für das neben dem alten kein Platz ist, geschrieben, nachdem das alte entfernt wurde. Der Pfad jedes kopierten Abbilds wird auf die Standardausgabe geschrieben.</translation>
    </message>
    <message>
        <source>ISO images or folders holding them.</source>
        <translation>ISO-Abbilder oder Ordner mit ihnen.</translation>
    </message>
    <message>
        <source>The folder on the discwand to copy into (default: its top level).</source>
        <translation>Der Ordner auf dem discwand, in den kopiert wird (Vorgabe: die oberste Ebene).</translation>
    </message>
    <message>
        <source>FOLDER</source>
        <translation>ORDNER</translation>
    </message>
    <message>
        <source>Replace images already on the discwand.</source>
        <translation>Abbilder ersetzen, die schon auf dem discwand sind.</translation>
    </message>
    <message>
        <source>Pass over images already on the discwand.</source>
        <translation>Abbilder übergehen, die schon auf dem discwand sind.</translation>
    </message>
    <message>
        <source>Do not read each copy back to compare it with its source.</source>
        <translation>Kopien nicht zurücklesen und mit ihrer Quelle vergleichen.</translation>
    </message>
    <message>
        <source>Name at least one image to copy.</source>
        <translation>Nennen Sie mindestens ein Abbild zum Kopieren.</translation>
    </message>
    <message>
        <source>--overwrite and --skip-existing exclude each other.</source>
        <translation>--overwrite und --skip-existing schließen einander aus.</translation>
    </message>
    <message>
        <source>%1: no such file or folder.</source>
        <translation>%1: Datei oder Ordner gibt es nicht.</translation>
    </message>
    <message>
        <source>%1 is left out: it is no ISO image.</source>
        <translation>%1 wird ausgelassen: Es ist kein ISO-Abbild.</translation>
    </message>
    <message>
        <source>%1 is no ISO image; passed over.</source>
        <translation>%1 ist kein ISO-Abbild; übergangen.</translation>
    </message>
    <message>
        <source>Nothing to copy.</source>
        <translation>Nichts zu kopieren.</translation>
    </message>
    <message>
        <source>%1 is no folder on the discwand: name it from the top level, without &quot;.&quot; or &quot;..&quot;.</source>
        <translation>%1 ist kein Ordner auf dem discwand: geben Sie ihn von der obersten Ebene aus an, ohne „.“ oder „..“.</translation>
    </message>
    <message>
        <source>%1 leads off the discwand: through a link, or onto another disk mounted there.</source>
        <translation>%1 führt vom discwand weg: über eine Verknüpfung oder auf einen anderen dort eingehängten Datenträger.</translation>
    </message>
    <message>
        <source>Copy to every discwand plugged in, all at once; the exit status is the worst of theirs.</source>
        <translation>Auf jeden eingesteckten discwand kopieren, alle zugleich; der Rückgabewert ist der schlechteste von ihnen.</translation>
    </message>
    <message>
        <source>--stick and --all-sticks exclude each other.</source>
        <translation>--stick und --all-sticks schließen einander aus.</translation>
    </message>
    <message>
        <source>The SHA-256 (or SHA-512) the one image named must have; a copy that differs is not kept.</source>
        <translation>Die SHA-256 (oder SHA-512), die das eine genannte Abbild haben muss; eine abweichende Kopie wird nicht behalten.</translation>
    </message>
    <message>
        <source>HEX</source>
        <translation>HEX</translation>
    </message>
    <message>
        <source>A checksum file (SHA256SUMS, a.iso.sha256 ...) that lists every image named, instead of those found beside them.</source>
        <translation>Eine Prüfsummendatei (SHA256SUMS, a.iso.sha256 ...), die jedes genannte Abbild aufführt, statt der neben ihnen gefundenen.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>DATEI</translation>
    </message>
    <message>
        <source>--all-sticks takes the checksums found beside the images only.</source>
        <translation>--all-sticks nimmt nur die Prüfsummen, die neben den Abbildern liegen.</translation>
    </message>
    <message>
        <source>--sha256 and --sums exclude each other.</source>
        <translation>--sha256 und --sums schließen einander aus.</translation>
    </message>
    <message>
        <source>--sha256 takes 64 hex digits (or 128 for a SHA-512).</source>
        <translation>--sha256 nimmt 64 Hex-Ziffern (oder 128 für eine SHA-512).</translation>
    </message>
    <message>
        <source>--sha256 goes with one image.</source>
        <translation>--sha256 gehört zu genau einem Abbild.</translation>
    </message>
    <message>
        <source>%1: no such file.</source>
        <translation>%1: keine solche Datei.</translation>
    </message>
    <message>
        <source>%1 does not list %2; nothing was copied.</source>
        <translation>%1 führt %2 nicht auf; nichts wurde kopiert.</translation>
    </message>
    <message>
        <source>Make the folder given with --to, and the folders above it, when it is not there (without it that is an error).</source>
        <translation>Den mit --to genannten Ordner und die Ordner darüber anlegen, wenn er fehlt (ohne diese Option ist das ein Fehler).</translation>
    </message>
    <message>
        <source>There is no folder %1 on the discwand; --parents makes it.</source>
        <translation>Auf dem discwand gibt es keinen Ordner %1; --parents legt ihn an.</translation>
    </message>
</context>
<context>
    <name>CopyOutcome</name>
    <message>
        <source>%1: copied and verified.</source>
        <translation>%1: kopiert und geprüft.</translation>
    </message>
    <message>
        <source>%1: copied.</source>
        <translation>%1: kopiert.</translation>
    </message>
    <message>
        <source>%1: stopped; the discwand keeps what it had.</source>
        <translation>%1: angehalten; auf dem discwand bleibt alles, wie es war.</translation>
    </message>
    <message>
        <source>%1: copy failed: %2</source>
        <translation>%1: Kopieren fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>The discwand went away; the images not yet copied were left.</source>
        <translation>Der discwand ist verschwunden; die noch nicht kopierten Abbilder wurden ausgelassen.</translation>
    </message>
    <message>
        <source>The discwand became read-only; the images not yet copied were left.</source>
        <translation>Der discwand ist schreibgeschützt geworden; die noch nicht kopierten Abbilder wurden ausgelassen.</translation>
    </message>
    <message>
        <source>%1: copied and verified; %2.</source>
        <translation>%1: kopiert und geprüft; %2.</translation>
    </message>
    <message>
        <source>%1: copied; %2.</source>
        <translation>%1: kopiert; %2.</translation>
    </message>
</context>
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
    <message numerus="yes">
        <source>Copied %1 of %n image(s) (%2) in %3</source>
        <translation>
            <numerusform>%1 von %n Abbild (%2) in %3 kopiert</numerusform>
            <numerusform>%1 von %n Abbildern (%2) in %3 kopiert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %n failed: %1</source>
        <translation>
            <numerusform>; %n fehlgeschlagen: %1</numerusform>
            <numerusform>; %n fehlgeschlagen: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>checking the copy: %1 of %2</source>
        <translation>Kopie wird geprüft: %1 von %2</translation>
    </message>
    <message>
        <source>%1, %2/s</source>
        <translation>%1, %2/s</translation>
    </message>
</context>
<context>
    <name>CopyQueue</name>
    <message>
        <source>matches the checksum given</source>
        <translation>stimmt mit der angegebenen Prüfsumme überein</translation>
    </message>
    <message>
        <source>matches %1</source>
        <translation>stimmt mit %1 überein</translation>
    </message>
</context>
<context>
    <name>CopyRun</name>
    <message>
        <source>Stopping the copy (press Ctrl+C again to quit at once)...</source>
        <translation>Kopieren wird angehalten (noch einmal Strg+C beendet sofort) …</translation>
    </message>
</context>
<context>
    <name>CopyStatus</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>DeleteCommand</name>
    <message>
        <source>Delete images or folders from the discwand.</source>
        <translation>Abbilder oder Ordner vom discwand löschen.</translation>
    </message>
    <message>
        <source>A split image goes with all its parts. A folder that holds anything goes only with --recursive, never while an image is being copied into it; the image the discwand boots goes only with --force. What went and the room freed are told.</source>
        <translation>Ein geteiltes Abbild wird mit allen Teilen gelöscht. Ein Ordner, der etwas enthält, nur mit --recursive und nie, während ein Abbild hinein kopiert wird; das Abbild, das der discwand startet, nur mit --force. Gemeldet wird, was gelöscht wurde und wie viel Platz frei wurde.</translation>
    </message>
    <message>
        <source>Images or folders on the discwand, as &apos;list&apos; shows them.</source>
        <translation>Abbilder oder Ordner auf dem discwand, wie „list“ sie zeigt.</translation>
    </message>
    <message>
        <source>Delete folders with everything in them.</source>
        <translation>Ordner mit allem, was sie enthalten, löschen.</translation>
    </message>
    <message>
        <source>Delete the image the discwand boots too.</source>
        <translation>Auch das Abbild löschen, das der discwand startet.</translation>
    </message>
    <message>
        <source>Name at least one image or folder to delete.</source>
        <translation>Nennen Sie mindestens ein Abbild oder einen Ordner zum Löschen.</translation>
    </message>
    <message>
        <source>There is no image or folder %1 on the discwand (&apos;list&apos; shows them).</source>
        <translation>Auf dem discwand gibt es kein Abbild und keinen Ordner %1 („list“ zeigt sie).</translation>
    </message>
    <message>
        <source>An image is being copied into %1; delete it once the copy is done.</source>
        <translation>In %1 wird gerade ein Abbild kopiert; löschen Sie ihn, wenn die Kopie fertig ist.</translation>
    </message>
    <message>
        <source>%1 is not empty (%2 images, %3 files); --recursive deletes it with everything in it.</source>
        <translation>%1 ist nicht leer (%2 Abbilder, %3 Dateien); --recursive löscht ihn mit allem, was er enthält.</translation>
    </message>
    <message>
        <source>%1 holds %2, the image the discwand boots; --force deletes it all the same.</source>
        <translation>%1 enthält %2, das Abbild, das der discwand startet; --force löscht ihn trotzdem.</translation>
    </message>
    <message>
        <source>%1 is the image the discwand boots; --force deletes it all the same.</source>
        <translation>%1 ist das Abbild, das der discwand startet; --force löscht es trotzdem.</translation>
    </message>
    <message>
        <source>Couldn&apos;t delete from the discwand: %1</source>
        <translation>Konnte nicht vom discwand gelöscht werden: %1</translation>
    </message>
    <message>
        <source>Deleted %1, freeing %2.</source>
        <translation>%1 gelöscht, %2 frei geworden.</translation>
    </message>
</context>
<context>
    <name>Dispatcher</name>
    <message>
        <source>Commands:</source>
        <translation>Befehle:</translation>
    </message>
    <message>
        <source>done</source>
        <translation>erledigt</translation>
    </message>
    <message>
        <source>failed (a copy, a download, a write)</source>
        <translation>fehlgeschlagen (eine Kopie, ein Herunterladen, ein Schreiben)</translation>
    </message>
    <message>
        <source>the command line is wrong</source>
        <translation>die Befehlszeile ist falsch</translation>
    </message>
    <message>
        <source>no discwand is plugged in, or it went away</source>
        <translation>kein discwand eingesteckt, oder er ist verschwunden</translation>
    </message>
    <message>
        <source>the discwand is read-only (its switch is set)</source>
        <translation>der discwand ist schreibgeschützt (sein Schalter steht auf Schreibschutz)</translation>
    </message>
    <message>
        <source>no room on the discwand</source>
        <translation>kein Platz auf dem discwand</translation>
    </message>
    <message>
        <source>a file or image named does not exist</source>
        <translation>eine genannte Datei oder ein genanntes Abbild gibt es nicht</translation>
    </message>
    <message>
        <source>something was left out: no ISO image, too large, already on the discwand, a name the discwand cannot be told</source>
        <translation>etwas wurde ausgelassen: kein ISO-Abbild, zu groß, schon auf dem discwand, ein Name, den der discwand nicht versteht</translation>
    </message>
    <message>
        <source>stopped by Ctrl+C (143: by a stop request); the discwand keeps what it had</source>
        <translation>mit Strg+C angehalten (143: durch eine Aufforderung zum Beenden); auf dem discwand bleibt alles, wie es war</translation>
    </message>
    <message>
        <source>Exit status:</source>
        <translation>Rückgabewert:</translation>
    </message>
    <message>
        <source>Manages the ISO images on a discwand USB stick from scripts and terminals.
Data goes to standard output, messages to standard error.</source>
        <translation>Verwaltet die ISO-Abbilder auf einem discwand-USB-Stick aus Skripten und Terminals.
Daten gehen auf die Standardausgabe, Meldungen auf die Standardfehlerausgabe.</translation>
    </message>
    <message>
        <source>command</source>
        <translation>befehl</translation>
    </message>
    <message>
        <source>What to do (below); COMMAND --help tells more.</source>
        <translation>Was zu tun ist (siehe unten); BEFEHL --help sagt mehr.</translation>
    </message>
    <message>
        <source>COMMAND [options]</source>
        <translation>BEFEHL [Optionen]</translation>
    </message>
    <message>
        <source>There is no command &apos;%1&apos;.</source>
        <translation>Einen Befehl „%1“ gibt es nicht.</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos;.</source>
        <translation>Mehr dazu: „%1 --help“.</translation>
    </message>
    <message>
        <source>Try &apos;%1 %2 --help&apos;.</source>
        <translation>Mehr dazu: „%1 %2 --help“.</translation>
    </message>
    <message>
        <source>eject wrote everything out but could not unmount the discwand: unmount it before you unplug it</source>
        <translation>eject hat alles geschrieben, konnte den Discwand aber nicht aushängen: hängen Sie ihn aus, bevor Sie ihn abziehen</translation>
    </message>
    <message>
        <source>The discwand to work on when several are plugged in: its serial, mount point or label.</source>
        <translation>Der discwand, mit dem gearbeitet wird, wenn mehrere eingesteckt sind: seine Seriennummer, sein Einhängepunkt oder seine Bezeichnung.</translation>
    </message>
    <message>
        <source>STICK</source>
        <translation>STICK</translation>
    </message>
    <message>
        <source>check found problems (with --repair: problems that are left); verify found a damaged image, or a recorded one gone</source>
        <translation>check hat Probleme gefunden (mit --repair: verbliebene Probleme); verify hat ein beschädigtes Abbild gefunden oder ein verzeichnetes fehlt</translation>
    </message>
    <message>
        <source>verify found an image changed since it was recorded, or not recorded yet</source>
        <translation>verify hat ein Abbild gefunden, das sich seit dem Verzeichnen geändert hat oder noch nicht verzeichnet war</translation>
    </message>
    <message>
        <source>a copy is under way on the discwand (check), or where the command would change it; try again once it is done</source>
        <translation>auf dem discwand läuft eine Kopie (check) oder dort, wo der Befehl etwas ändern würde; versuchen Sie es wieder, wenn sie fertig ist</translation>
    </message>
</context>
<context>
    <name>DropAdmission</name>
    <message>
        <source>a folder of that name is there</source>
        <translation>dort ist ein Ordner dieses Namens</translation>
    </message>
    <message>
        <source>the discwand is told which image to boot in Western European letters (Latin-1) only</source>
        <translation>dem Discwand lässt sich das zu startende Abbild nur in westeuropäischen Buchstaben (Latin-1) mitteilen</translation>
    </message>
    <message>
        <source>its folder &quot;%1&quot;: %2</source>
        <translation>sein Ordner „%1“: %2</translation>
    </message>
    <message>
        <source>%1; &quot;%2&quot; would do</source>
        <translation>%1; „%2“ ginge</translation>
    </message>
</context>
<context>
    <name>EjectCommand</name>
    <message>
        <source>Write out everything meant for the discwand and tell how to unplug it safely.</source>
        <translation>Alles für den discwand Bestimmte hinausschreiben und sagen, wie er sicher abgezogen wird.</translation>
    </message>
    <message>
        <source>eject takes no arguments.</source>
        <translation>eject nimmt keine Argumente.</translation>
    </message>
    <message>
        <source>The system&apos;s disk service (UDisks2) unmounts the discwand and switches it off. Where it cannot (no such service, or a stick it does not manage), everything is written out and the exit status is 10: the discwand is not yet safe to unplug until you unmount it.</source>
        <translation>Der Datenträgerdienst des Systems (UDisks2) hängt den discwand aus und schaltet ihn ab. Wo er das nicht kann (kein solcher Dienst, oder ein Stick, den er nicht verwaltet), wird alles geschrieben und der Rückgabewert ist 10: der discwand darf erst abgezogen werden, wenn Sie ihn ausgehängt haben.</translation>
    </message>
</context>
<context>
    <name>Ejector</name>
    <message>
        <source>The system&apos;s message bus cannot be reached.</source>
        <translation>Der Nachrichtenbus des Systems ist nicht erreichbar.</translation>
    </message>
    <message>
        <source>The system&apos;s disk service (UDisks2) does not manage the discwand&apos;s volume.</source>
        <translation>Der Laufwerksdienst des Systems (UDisks2) verwaltet den Datenträger des discwand nicht.</translation>
    </message>
    <message>
        <source>What was written to the discwand could not be saved to it (it may have been pulled out already).</source>
        <translation>Was auf den discwand geschrieben wurde, ließ sich nicht auf ihm sichern (vielleicht wurde er schon abgezogen).</translation>
    </message>
    <message>
        <source>The discwand is in use: a program still has a file or folder on it open (a file manager window or a terminal showing one of its folders, perhaps). Close it, then eject again.</source>
        <translation>Der discwand wird benutzt: Ein Programm hat noch eine Datei oder einen Ordner auf ihm geöffnet (etwa ein Dateimanager-Fenster oder ein Terminal in einem seiner Ordner). Schließen Sie es und werfen Sie ihn dann erneut aus.</translation>
    </message>
    <message>
        <source>This computer does not allow you to eject the discwand (not authorised). Ask whoever looks after it, or eject it from your file manager.</source>
        <translation>Dieser Rechner erlaubt Ihnen nicht, den discwand auszuwerfen (nicht berechtigt). Fragen Sie, wer den Rechner betreut, oder werfen Sie ihn im Dateimanager aus.</translation>
    </message>
    <message>
        <source>The request for permission to eject the discwand was dismissed.</source>
        <translation>Die Anfrage nach der Berechtigung zum Auswerfen wurde abgelehnt.</translation>
    </message>
    <message>
        <source>The ejection was cancelled.</source>
        <translation>Das Auswerfen wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The system&apos;s disk service (UDisks2) is not running.</source>
        <translation>Der Laufwerksdienst des Systems (UDisks2) läuft nicht.</translation>
    </message>
    <message>
        <source>The system&apos;s disk service did not answer in time.</source>
        <translation>Der Laufwerksdienst des Systems hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <source>The system&apos;s disk service may not be asked by this program (access denied).</source>
        <translation>Dieses Programm darf den Laufwerksdienst des Systems nicht fragen (Zugriff verweigert).</translation>
    </message>
    <message>
        <source>The system&apos;s disk service reported: %1</source>
        <translation>Der Laufwerksdienst des Systems meldet: %1</translation>
    </message>
    <message>
        <source>Windows did not let Discshelf open the volume: %1</source>
        <translation>Windows hat Discshelf das Laufwerk nicht öffnen lassen: %1</translation>
    </message>
    <message>
        <source>The discwand is in use: a program still has a file or folder on it open. Close it, then eject again.</source>
        <translation>Der discwand wird verwendet: Ein Programm hat noch eine Datei oder einen Ordner darauf geöffnet. Schließen Sie es und werfen Sie ihn dann erneut aus.</translation>
    </message>
    <message>
        <source>The discwand could not be ejected: %1</source>
        <translation>Der discwand konnte nicht ausgeworfen werden: %1</translation>
    </message>
    <message>
        <source>The discwand can be removed now.</source>
        <translation>Der Discwand kann jetzt abgezogen werden.</translation>
    </message>
    <message>
        <source>The discwand can be pulled out safely, but it could not be switched off: %1</source>
        <translation>Der discwand kann gefahrlos abgezogen werden, ließ sich aber nicht ausschalten: %1</translation>
    </message>
    <message>
        <source>Everything written to the discwand is saved on it, but Discshelf could not eject it: %1

Eject %2 with &quot;Safely Remove Hardware&quot; in the taskbar, or in Explorer, before you pull it out.</source>
        <translation>Alles, was auf den discwand geschrieben wurde, ist darauf gespeichert, aber Discshelf konnte ihn nicht auswerfen: %1

Werfen Sie %2 mit „Hardware sicher entfernen“ in der Taskleiste oder im Explorer aus, bevor Sie ihn abziehen.</translation>
    </message>
    <message>
        <source>Everything written to the discwand is saved on it, but it is still mounted, so it is not yet safe to pull out. Discshelf could not unmount it: %1

Unmount it in your file manager, or with the command

    umount %2

before you pull it out.</source>
        <translation>Alles, was auf den Discwand geschrieben wurde, ist auf ihm gesichert, aber er ist noch eingehängt und darf daher noch nicht abgezogen werden. Discshelf konnte ihn nicht aushängen: %1

Hängen Sie ihn im Dateimanager aus oder mit dem Befehl

    umount %2

bevor Sie ihn abziehen.</translation>
    </message>
    <message>
        <source>Couldn&apos;t eject the discwand: %1</source>
        <translation>Der Discwand ließ sich nicht auswerfen: %1</translation>
    </message>
</context>
<context>
    <name>FatName</name>
    <message>
        <source>a name on the discwand cannot be empty</source>
        <translation>ein Name auf dem Discwand darf nicht leer sein</translation>
    </message>
    <message>
        <source>&quot;.&quot; and &quot;..&quot; cannot name anything on the discwand</source>
        <translation>„.“ und „..“ können auf dem Discwand nichts benennen</translation>
    </message>
    <message>
        <source>a name on the discwand cannot hold any of \ / : * ? &quot; &lt; &gt; | (nor control characters)</source>
        <translation>ein Name auf dem Discwand darf keines von \ / : * ? &quot; &lt; &gt; | enthalten (und keine Steuerzeichen)</translation>
    </message>
    <message>
        <source>a name on the discwand cannot end in a dot or a space</source>
        <translation>ein Name auf dem Discwand darf nicht auf einen Punkt oder ein Leerzeichen enden</translation>
    </message>
    <message>
        <source>a name on the discwand can be 255 characters long at most</source>
        <translation>ein Name auf dem Discwand darf höchstens 255 Zeichen lang sein</translation>
    </message>
    <message>
        <source>Windows keeps this name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9)</source>
        <translation>Windows hält diesen Namen für ein Gerät frei (CON, PRN, AUX, NUL, COM1 bis COM9, LPT1 bis LPT9)</translation>
    </message>
</context>
<context>
    <name>FetchCommand</name>
    <message>
        <source>Download an ISO image straight onto the discwand, checked against its checksum.</source>
        <translation>Ein ISO-Abbild direkt auf den discwand herunterladen, geprüft gegen seine Prüfsumme.</translation>
    </message>
    <message>
        <source>The image is written as a copy is, split above 4,096,000,000 bytes, read back and put in place only once it is whole; the computer&apos;s disk is not used. A dropped connection is resumed where the discwand&apos;s bytes end when the server tells that its file is the same, else the download starts over. Without --sha256 or --sums, SHA256SUMS and NAME.sha256 beside the image are looked for. The path of the image on the discwand is printed on standard output.</source>
        <translation>Das Abbild wird wie eine Kopie geschrieben, über 4.096.000.000 Bytes geteilt, zurückgelesen und erst an seinen Platz gestellt, wenn es vollständig ist; die Festplatte des Rechners wird nicht benutzt. Eine abgebrochene Verbindung wird dort fortgesetzt, wo die Bytes auf dem discwand enden, wenn der Server angibt, dass seine Datei dieselbe ist, sonst beginnt das Herunterladen von vorn. Ohne --sha256 oder --sums wird neben dem Abbild nach SHA256SUMS und NAME.sha256 gesucht. Der Pfad des Abbilds auf dem discwand wird auf die Standardausgabe geschrieben.</translation>
    </message>
    <message>
        <source>The address of the image.</source>
        <translation>Die Adresse des Abbilds.</translation>
    </message>
    <message>
        <source>The folder on the discwand to download into (default: its top level).</source>
        <translation>Der Ordner auf dem discwand, in den heruntergeladen wird (Vorgabe: die oberste Ebene).</translation>
    </message>
    <message>
        <source>FOLDER</source>
        <translation>ORDNER</translation>
    </message>
    <message>
        <source>The image&apos;s name on the discwand (default: the address&apos;s own).</source>
        <translation>Der Name des Abbilds auf dem discwand (Vorgabe: der aus der Adresse).</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>The SHA-256 the image must have.</source>
        <translation>Die SHA-256-Prüfsumme, die das Abbild haben muss.</translation>
    </message>
    <message>
        <source>HEX</source>
        <translation>HEX</translation>
    </message>
    <message>
        <source>The address of a checksum file that lists the image.</source>
        <translation>Die Adresse einer Prüfsummendatei, die das Abbild aufführt.</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Name one address to download.</source>
        <translation>Nennen Sie eine Adresse zum Herunterladen.</translation>
    </message>
    <message>
        <source>%1 is no address to download from.</source>
        <translation>%1 ist keine Adresse zum Herunterladen.</translation>
    </message>
    <message>
        <source>--sha256 and --sums exclude each other.</source>
        <translation>--sha256 und --sums schließen einander aus.</translation>
    </message>
    <message>
        <source>%1 is no SHA-256: it takes 64 hexadecimal digits.</source>
        <translation>%1 ist keine SHA-256-Prüfsumme: Sie hat 64 hexadezimale Ziffern.</translation>
    </message>
    <message>
        <source>%1 is no folder on the discwand: name it from the top level, without &quot;.&quot; or &quot;..&quot;.</source>
        <translation>%1 ist kein Ordner auf dem discwand: geben Sie ihn von der obersten Ebene aus an, ohne „.“ oder „..“.</translation>
    </message>
    <message>
        <source>%1 leads off the discwand, or cannot be made on it.</source>
        <translation>%1 führt vom discwand weg oder lässt sich auf ihm nicht anlegen.</translation>
    </message>
    <message>
        <source>Stopping the download...</source>
        <translation>Das Herunterladen wird angehalten …</translation>
    </message>
    <message>
        <source>%1 matches %2.</source>
        <translation>%1 stimmt mit %2 überein.</translation>
    </message>
    <message>
        <source>%1: no published checksum was found; it was only read back.</source>
        <translation>%1: Keine veröffentlichte Prüfsumme gefunden; es wurde nur zurückgelesen.</translation>
    </message>
</context>
<context>
    <name>FlagPrompts</name>
    <message>
        <source>%1 is left out: the discwand takes images of up to %2 bytes.</source>
        <translation>%1 wird ausgelassen: Der discwand nimmt Abbilder bis %2 Bytes.</translation>
    </message>
    <message>
        <source>%1 is left out: it is no ordinary file (a pipe or a device).</source>
        <translation>%1 wird ausgelassen: Es ist keine gewöhnliche Datei (eine Pipe oder ein Gerät).</translation>
    </message>
    <message>
        <source>%1 has no boot record: the discwand cannot start a computer from it. Copied all the same.</source>
        <translation>%1 hat keinen Starteintrag: Der discwand kann keinen Computer davon starten. Trotzdem kopiert.</translation>
    </message>
    <message>
        <source>%1 is no ISO 9660 image: the discwand cannot start a computer from it. Copied all the same.</source>
        <translation>%1 ist kein ISO-9660-Abbild: Der discwand kann keinen Computer davon starten. Trotzdem kopiert.</translation>
    </message>
    <message>
        <source>%1: there is no room for both, so the old image goes before the new one is written; stopping the copy leaves neither.</source>
        <translation>%1: Für beide ist kein Platz, daher wird das alte Abbild entfernt, bevor das neue geschrieben wird; wird die Kopie angehalten, bleibt keines.</translation>
    </message>
    <message>
        <source>%1 is on the discwand already; skipped.</source>
        <translation>%1 ist schon auf dem discwand; übergangen.</translation>
    </message>
    <message>
        <source>%1 is on the discwand already; left out (--overwrite replaces it, --skip-existing passes over it).</source>
        <translation>%1 ist schon auf dem discwand; ausgelassen (--overwrite ersetzt es, --skip-existing übergeht es).</translation>
    </message>
    <message>
        <source>%1 is left out: it does not fit in the %2 left on the discwand.</source>
        <translation>%1 wird ausgelassen: Es passt nicht in die %2, die auf dem discwand frei sind.</translation>
    </message>
    <message>
        <source>Left out: %1.</source>
        <translation>Ausgelassen: %1.</translation>
    </message>
</context>
<context>
    <name>GetCommand</name>
    <message>
        <source>Copy an image from the discwand to the computer, verified.</source>
        <translation>Ein Abbild vom discwand auf den Computer kopieren, geprüft.</translation>
    </message>
    <message>
        <source>A split image arrives as one .iso file. The copy is read back and compared with what was read from the discwand (SHA-256) before it takes its name; its path and SHA-256 are printed on standard output.</source>
        <translation>Ein geteiltes Abbild kommt als eine .iso-Datei an. Die Kopie wird zurückgelesen und mit dem verglichen, was vom discwand gelesen wurde (SHA-256), bevor sie ihren Namen bekommt; ihr Pfad und ihre SHA-256-Summe gehen auf die Standardausgabe.</translation>
    </message>
    <message>
        <source>The image on the discwand, as &apos;list&apos; shows it.</source>
        <translation>Das Abbild auf dem discwand, wie „list“ es zeigt.</translation>
    </message>
    <message>
        <source>The file or folder to copy to (default: the current folder).</source>
        <translation>Die Datei oder der Ordner, wohin kopiert wird (Vorgabe: der aktuelle Ordner).</translation>
    </message>
    <message>
        <source>Replace a file of that name.</source>
        <translation>Eine Datei dieses Namens ersetzen.</translation>
    </message>
    <message>
        <source>Name the image to copy, and where to if not here.</source>
        <translation>Nennen Sie das zu kopierende Abbild und, wenn nicht hierher, das Ziel.</translation>
    </message>
    <message>
        <source>There is no image %1 on the discwand (&apos;list&apos; shows them).</source>
        <translation>Auf dem discwand gibt es kein Abbild %1 („list“ zeigt sie).</translation>
    </message>
    <message>
        <source>%1 has parts missing or of the wrong size; it cannot be joined.</source>
        <translation>Bei %1 fehlen Teile oder haben die falsche Größe; es lässt sich nicht zusammenfügen.</translation>
    </message>
    <message>
        <source>%1: no such folder.</source>
        <translation>%1: kein solcher Ordner.</translation>
    </message>
    <message>
        <source>%1 is there already; --overwrite replaces it.</source>
        <translation>%1 gibt es schon; --overwrite ersetzt es.</translation>
    </message>
    <message>
        <source>%1: copied and verified.</source>
        <translation>%1: kopiert und geprüft.</translation>
    </message>
    <message>
        <source>%1: stopped; nothing was kept.</source>
        <translation>%1: angehalten; nichts wurde behalten.</translation>
    </message>
    <message>
        <source>Couldn&apos;t read %1 from the discwand.</source>
        <translation>%1 konnte nicht vom discwand gelesen werden.</translation>
    </message>
    <message>
        <source>Couldn&apos;t write %1.</source>
        <translation>%1 konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>The copy at %1 did not read back as it was read; it was not kept.</source>
        <translation>Die Kopie unter %1 ließ sich nicht so zurücklesen, wie sie gelesen wurde; sie wurde nicht behalten.</translation>
    </message>
</context>
<context>
    <name>GetSelectorCommand</name>
    <message>
        <source>Download the selector program config/wandmenu.bin when it is missing.</source>
        <translation>Das Auswahlprogramm config/wandmenu.bin herunterladen, wenn es fehlt.</translation>
    </message>
    <message>
        <source>Where to download it from (default: %1).</source>
        <translation>Woher es heruntergeladen wird (Vorgabe: %1).</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>get-selector takes no arguments.</source>
        <translation>get-selector nimmt keine Argumente.</translation>
    </message>
    <message>
        <source>%1 is no address to download from.</source>
        <translation>%1 ist keine Adresse zum Herunterladen.</translation>
    </message>
    <message>
        <source>The selector program is on the discwand already.</source>
        <translation>Das Auswahlprogramm ist schon auf dem discwand.</translation>
    </message>
    <message>
        <source>Couldn&apos;t download wandmenu.bin: %1</source>
        <translation>wandmenu.bin konnte nicht heruntergeladen werden: %1</translation>
    </message>
    <message>
        <source>Couldn&apos;t write config/wandmenu.bin to the discwand.</source>
        <translation>config/wandmenu.bin konnte nicht auf den discwand geschrieben werden.</translation>
    </message>
    <message>
        <source>The selector program is on the discwand now.</source>
        <translation>Das Auswahlprogramm ist jetzt auf dem discwand.</translation>
    </message>
</context>
<context>
    <name>ImageCheck</name>
    <message>
        <source>intact</source>
        <translation>unversehrt</translation>
    </message>
    <message>
        <source>changed since it was recorded (written outside Discshelf); recorded as it is now</source>
        <translation>seit dem Verzeichnen geändert (außerhalb von Discshelf geschrieben); so verzeichnet, wie es jetzt ist</translation>
    </message>
    <message>
        <source>damaged: its bytes differ from those recorded, though its size and time are the same</source>
        <translation>beschädigt: seine Bytes weichen von den verzeichneten ab, obwohl Größe und Zeit gleich sind</translation>
    </message>
    <message>
        <source>not recorded yet; recorded now</source>
        <translation>noch nicht verzeichnet; jetzt verzeichnet</translation>
    </message>
    <message>
        <source>recorded, but no longer on the discwand</source>
        <translation>verzeichnet, aber nicht mehr auf dem discwand</translation>
    </message>
    <message>
        <source>could not be read whole</source>
        <translation>konnte nicht vollständig gelesen werden</translation>
    </message>
</context>
<context>
    <name>ImageChecker</name>
    <message>
        <source>Check &amp;Images</source>
        <translation>Abbilder &amp;prüfen</translation>
    </message>
    <message>
        <source>Read the images from the discwand again and compare them with what was written</source>
        <translation>Die Abbilder erneut vom discwand lesen und mit dem Geschriebenen vergleichen</translation>
    </message>
    <message>
        <source>%1 is damaged: its bytes differ from those written</source>
        <translation>%1 ist beschädigt: seine Bytes weichen von den geschriebenen ab</translation>
    </message>
    <message>
        <source>Checking the images…</source>
        <translation>Die Abbilder werden geprüft …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Check Images</source>
        <translation>Abbilder prüfen</translation>
    </message>
    <message>
        <source>Checking %1…</source>
        <translation>%1 wird geprüft …</translation>
    </message>
    <message>
        <source>Checking %1: %2</source>
        <translation>%1 wird geprüft: %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>There are no images on the discwand.</source>
        <translation>Auf dem discwand sind keine Abbilder.</translation>
    </message>
    <message>
        <source>Copy SHA-256</source>
        <translation>SHA-256 kopieren</translation>
    </message>
    <message>
        <source>Check against a checksum…</source>
        <translation>Mit einer Prüfsumme vergleichen …</translation>
    </message>
    <message>
        <source>Check against a checksum</source>
        <translation>Mit einer Prüfsumme vergleichen</translation>
    </message>
    <message>
        <source>Paste the SHA-256 or SHA-512 published for %1, or leave this empty to choose a checksum file:</source>
        <translation>Fügen Sie die für %1 veröffentlichte SHA-256 oder SHA-512 ein, oder lassen Sie das Feld leer, um eine Prüfsummendatei zu wählen:</translation>
    </message>
    <message>
        <source>Choose a checksum file</source>
        <translation>Prüfsummendatei wählen</translation>
    </message>
    <message>
        <source>%1 cannot be read, or lists %2 twice with different checksums.</source>
        <translation>%1 kann nicht gelesen werden oder führt %2 zweimal mit verschiedenen Prüfsummen auf.</translation>
    </message>
    <message>
        <source>%1 does not list %2.</source>
        <translation>%1 führt %2 nicht auf.</translation>
    </message>
    <message>
        <source>A SHA-256 has 64 hex digits, a SHA-512 128.</source>
        <translation>Eine SHA-256 hat 64 Hex-Ziffern, eine SHA-512 128.</translation>
    </message>
    <message>
        <source>the checksum given</source>
        <translation>die angegebene Prüfsumme</translation>
    </message>
    <message>
        <source>%1 matches %2.</source>
        <translation>%1 stimmt mit %2 überein.</translation>
    </message>
    <message>
        <source>%1 does not match %2.</source>
        <translation>%1 stimmt nicht mit %2 überein.</translation>
    </message>
</context>
<context>
    <name>ImageChoice</name>
    <message>
        <source>The discwand will boot %1 from now on.</source>
        <translation>Der Discwand startet ab jetzt %1.</translation>
    </message>
    <message>
        <source>The discwand is told which image to load in Western European letters (Latin-1) only, and &quot;%1&quot; has other characters. Rename it to load it.</source>
        <translation>Der Discwand versteht den Namen des zu ladenden Abbilds nur in westeuropäischen Buchstaben (Latin-1), und „%1“ enthält andere Zeichen. Benennen Sie es um, um es zu laden.</translation>
    </message>
</context>
<context>
    <name>ImageDownload</name>
    <message>
        <source>the checksum given</source>
        <translation>der angegebenen Prüfsumme</translation>
    </message>
    <message>
        <source>Couldn&apos;t get the checksum file %1: %2</source>
        <translation>Die Prüfsummendatei %1 ließ sich nicht laden: %2</translation>
    </message>
    <message>
        <source>The server answered %1 %2.</source>
        <translation>Der Server antwortete %1 %2.</translation>
    </message>
    <message>
        <source>The server&apos;s file changed; the download starts over.</source>
        <translation>Die Datei auf dem Server hat sich geändert; das Herunterladen beginnt von vorn.</translation>
    </message>
    <message>
        <source>The server sent the whole file again; the download starts over.</source>
        <translation>Der Server hat die ganze Datei erneut geschickt; das Herunterladen beginnt von vorn.</translation>
    </message>
    <message>
        <source>The address names no file; give the image a name.</source>
        <translation>Die Adresse nennt keine Datei; geben Sie dem Abbild einen Namen.</translation>
    </message>
    <message>
        <source>%1 is on the discwand already.</source>
        <translation>%1 ist schon auf dem discwand.</translation>
    </message>
    <message>
        <source>%1 takes %2 bytes; the discwand has %3 left.</source>
        <translation>%1 braucht %2 Bytes; auf dem discwand sind noch %3 frei.</translation>
    </message>
    <message>
        <source>Couldn&apos;t download %1: %2</source>
        <translation>%1 ließ sich nicht herunterladen: %2</translation>
    </message>
    <message>
        <source>no data for %1 s</source>
        <translation>keine Daten seit %1 s</translation>
    </message>
    <message>
        <source>The download broke off %1 times in a row (%2); the discwand keeps what it had.</source>
        <translation>Das Herunterladen ist %1-mal hintereinander abgebrochen (%2); auf dem discwand bleibt alles, wie es war.</translation>
    </message>
    <message>
        <source>The connection dropped (%1); trying again.</source>
        <translation>Die Verbindung ist abgebrochen (%1); neuer Versuch.</translation>
    </message>
    <message>
        <source>The connection dropped (%1); the server cannot tell whether its file is still the same, so the download starts over.</source>
        <translation>Die Verbindung ist abgebrochen (%1); der Server kann nicht sagen, ob seine Datei noch dieselbe ist, daher beginnt das Herunterladen von vorn.</translation>
    </message>
    <message>
        <source>The connection dropped (%1); resuming at byte %2.</source>
        <translation>Die Verbindung ist abgebrochen (%1); weiter ab Byte %2.</translation>
    </message>
    <message>
        <source>%1 lists no checksum for %2; the download was removed.</source>
        <translation>%1 führt keine Prüfsumme für %2; das Heruntergeladene wurde entfernt.</translation>
    </message>
    <message>
        <source>%1 does not match %2; the download was removed.</source>
        <translation>%1 stimmt nicht mit %2 überein; das Heruntergeladene wurde entfernt.</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>the server redirected to %1, an address that is not secure; that is not followed</source>
        <translation>der Server leitete auf %1 weiter, eine nicht sichere Adresse; dem wird nicht gefolgt</translation>
    </message>
</context>
<context>
    <name>LibraryActions</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Rename…</source>
        <translation>&amp;Umbenennen…</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Paste Here</source>
        <translation>Hier &amp;einfügen</translation>
    </message>
    <message>
        <source>&amp;Save a Copy…</source>
        <translation>Kopie &amp;speichern…</translation>
    </message>
    <message>
        <source>Open in File &amp;Manager</source>
        <translation>Im Datei&amp;manager öffnen</translation>
    </message>
    <message>
        <source>S&amp;ync Folder…</source>
        <translation>Ordner a&amp;bgleichen…</translation>
    </message>
    <message>
        <source>Not while copying there</source>
        <translation>Nicht während dort kopiert wird</translation>
    </message>
    <message>
        <source>Images are being copied where &quot;%1&quot; is. Let the copies finish first.</source>
        <translation>Dort, wo „%1“ liegt, werden gerade Images kopiert. Lassen Sie die Kopien erst fertig werden.</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>New name of &quot;%1&quot;:</source>
        <translation>Neuer Name für „%1“:</translation>
    </message>
    <message>
        <source>Can&apos;t rename</source>
        <translation>Umbenennen nicht möglich</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be called &quot;%2&quot;: %3.</source>
        <translation>„%1“ kann nicht „%2“ heißen: %3.</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Can&apos;t move</source>
        <translation>Verschieben nicht möglich</translation>
    </message>
    <message>
        <source>Nothing was moved into %1:

%2</source>
        <translation>Nichts wurde nach %1 verschoben:

%2</translation>
    </message>
    <message>
        <source>The discwand refused to move these; they keep their place:

%1</source>
        <translation>Der Discwand hat das Verschieben hiervon verweigert; sie bleiben, wo sie sind:

%1</translation>
    </message>
    <message>
        <source>Can&apos;t save a copy</source>
        <translation>Kopie speichern nicht möglich</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has parts missing or of the wrong size.</source>
        <translation>Bei „%1“ fehlen Teile oder haben die falsche Größe.</translation>
    </message>
    <message>
        <source>Save a copy of %1</source>
        <translation>Eine Kopie von %1 speichern</translation>
    </message>
    <message>
        <source>ISO images (*.iso)</source>
        <translation>ISO-Images (*.iso)</translation>
    </message>
    <message>
        <source>Saving %1 (joined and checked)…</source>
        <translation>%1 wird gespeichert (zusammengefügt und geprüft)…</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be read from the discwand.</source>
        <translation>„%1“ konnte nicht vom Discwand gelesen werden.</translation>
    </message>
    <message>
        <source>%1 could not be written.</source>
        <translation>%1 konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>The copy did not read back as it was read from the discwand, so it was not kept.</source>
        <translation>Die Kopie ließ sich nicht so zurücklesen, wie sie vom Discwand gelesen wurde, deshalb wurde sie nicht behalten.</translation>
    </message>
    <message>
        <source>Sync which folder of images into %1?</source>
        <translation>Welchen Ordner mit Images nach %1 abgleichen?</translation>
    </message>
    <message>
        <source>Comparing %1 with %2 on the discwand…</source>
        <translation>%1 wird mit %2 auf dem Discwand verglichen…</translation>
    </message>
    <message>
        <source>Nothing to sync</source>
        <translation>Nichts abzugleichen</translation>
    </message>
    <message>
        <source>%1 on the discwand holds the images of %2 already.</source>
        <translation>%1 auf dem Discwand enthält die Images aus %2 schon.</translation>
    </message>
    <message>
        <source>Sync %1 into %2 on the discwand?</source>
        <translation>%1 nach %2 auf dem Discwand abgleichen?</translation>
    </message>
    <message>
        <source>Copied new:</source>
        <translation>Neu kopiert:</translation>
    </message>
    <message>
        <source>Replaced (they differ):</source>
        <translation>Ersetzt (sie unterscheiden sich):</translation>
    </message>
    <message numerus="yes">
        <source>Left as they are: %n</source>
        <translation>
            <numerusform>Unverändert: %n</numerusform>
            <numerusform>Unverändert: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>On the discwand only (kept): %1</source>
        <translation>Nur auf dem Discwand (bleiben): %1</translation>
    </message>
    <message>
        <source>Not enough room</source>
        <translation>Nicht genug Platz</translation>
    </message>
    <message>
        <source>The sync needs %1 more on the discwand, which has %2 free. Nothing was changed.</source>
        <translation>Der Abgleich braucht %1 mehr auf dem Discwand, der %2 frei hat. Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>This takes %1 of the %2 free.</source>
        <translation>Das belegt %1 der %2 freien Platzes.</translation>
    </message>
    <message>
        <source>Sync folder?</source>
        <translation>Ordner abgleichen?</translation>
    </message>
</context>
<context>
    <name>ListCommand</name>
    <message>
        <source>List the folders and images on the discwand.</source>
        <translation>Die Ordner und Abbilder auf dem discwand auflisten.</translation>
    </message>
    <message>
        <source>One path a line: folders end in /, the image the discwand boots is marked with *, a split image is listed once with the number of its parts.</source>
        <translation>Ein Pfad je Zeile: Ordner enden auf /, das Abbild, das der discwand startet, ist mit * markiert, ein geteiltes Abbild steht einmal mit der Zahl seiner Teile da.</translation>
    </message>
    <message>
        <source>Print the list as JSON.</source>
        <translation>Die Liste als JSON ausgeben.</translation>
    </message>
    <message numerus="yes">
        <source>%n parts</source>
        <translation>
            <numerusform>%n Teil</numerusform>
            <numerusform>%n Teile</numerusform>
        </translation>
    </message>
    <message>
        <source>(broken)</source>
        <translation>(beschädigt)</translation>
    </message>
    <message>
        <source>list takes no arguments.</source>
        <translation>list nimmt keine Argumente.</translation>
    </message>
</context>
<context>
    <name>LoadCommand</name>
    <message>
        <source>Make an image on the discwand the one it boots.</source>
        <translation>Ein Abbild auf dem discwand zu dem machen, das er startet.</translation>
    </message>
    <message>
        <source>PATH is the image&apos;s path on the discwand as &apos;list&apos; shows it, such as /linux/tools.iso; a split image is named with or without its .0.</source>
        <translation>PFAD ist der Pfad des Abbilds auf dem discwand, wie „list“ ihn zeigt, etwa /linux/tools.iso; ein geteiltes Abbild wird mit oder ohne sein .0 genannt.</translation>
    </message>
    <message>
        <source>The image on the discwand.</source>
        <translation>Das Abbild auf dem discwand.</translation>
    </message>
    <message>
        <source>Name the one image to load.</source>
        <translation>Nennen Sie das eine Abbild, das geladen werden soll.</translation>
    </message>
    <message>
        <source>There is no image %1 on the discwand (&apos;list&apos; shows them).</source>
        <translation>Auf dem discwand gibt es kein Abbild %1 („list“ zeigt sie).</translation>
    </message>
    <message>
        <source>Couldn&apos;t write the choice to the discwand.</source>
        <translation>Die Auswahl konnte nicht auf den discwand geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>MkdirCommand</name>
    <message>
        <source>Make folders on the discwand.</source>
        <translation>Ordner auf dem discwand anlegen.</translation>
    </message>
    <message>
        <source>Names follow the rules of the discwand&apos;s FAT file system, as New Folder in the window does.</source>
        <translation>Die Namen folgen den Regeln des FAT-Dateisystems des discwand, wie bei „Neuer Ordner“ im Fenster.</translation>
    </message>
    <message>
        <source>Folders on the discwand, from its top level.</source>
        <translation>Ordner auf dem discwand, von der obersten Ebene aus.</translation>
    </message>
    <message>
        <source>Make the folders above too, and take a folder that is there already.</source>
        <translation>Auch die Ordner darüber anlegen, und einen vorhandenen Ordner hinnehmen.</translation>
    </message>
    <message>
        <source>Name at least one folder to make.</source>
        <translation>Nennen Sie mindestens einen anzulegenden Ordner.</translation>
    </message>
    <message>
        <source>%1 is no folder on the discwand: name it from the top level, without &quot;.&quot; or &quot;..&quot;.</source>
        <translation>%1 ist kein Ordner auf dem discwand: geben Sie ihn von der obersten Ebene aus an, ohne „.“ oder „..“.</translation>
    </message>
    <message>
        <source>%1 leads off the discwand: through a link, or onto another disk mounted there.</source>
        <translation>%1 führt vom discwand weg: über eine Verknüpfung oder auf einen anderen dort eingehängten Datenträger.</translation>
    </message>
    <message>
        <source>%1: the folder %2 is not there; --parents makes it.</source>
        <translation>%1: den Ordner %2 gibt es nicht; --parents legt ihn an.</translation>
    </message>
</context>
<context>
    <name>MoveCommand</name>
    <message>
        <source>Rename an image or a folder on the discwand.</source>
        <translation>Ein Abbild oder einen Ordner auf dem discwand umbenennen.</translation>
    </message>
    <message>
        <source>Move images or folders into another folder on the discwand.</source>
        <translation>Abbilder oder Ordner in einen anderen Ordner auf dem discwand verschieben.</translation>
    </message>
    <message>
        <source>A split image goes with all its parts or not at all; a move stopped part way is finished by &apos;check --repair&apos;. When the image the discwand boots (or a folder holding it) moves, the boot choice follows. The new path is printed on standard output.</source>
        <translation>Ein geteiltes Abbild zieht mit allen Teilen um oder gar nicht; ein unterbrochenes Verschieben beendet „check --repair“. Zieht das Abbild, das der discwand startet (oder ein Ordner, der es enthält), um, folgt ihm die Startauswahl. Der neue Pfad geht auf die Standardausgabe.</translation>
    </message>
    <message>
        <source>The image or folder on the discwand, as &apos;list&apos; shows it.</source>
        <translation>Das Abbild oder der Ordner auf dem discwand, wie „list“ es zeigt.</translation>
    </message>
    <message>
        <source>Its new name.</source>
        <translation>Sein neuer Name.</translation>
    </message>
    <message>
        <source>The folder on the discwand to move into (/ for the top level).</source>
        <translation>Der Ordner auf dem discwand, in den verschoben wird (/ für die oberste Ebene).</translation>
    </message>
    <message>
        <source>Name the image or folder and its new name.</source>
        <translation>Nennen Sie das Abbild oder den Ordner und den neuen Namen.</translation>
    </message>
    <message>
        <source>Name what to move and the folder to move it into.</source>
        <translation>Nennen Sie, was verschoben wird, und den Zielordner.</translation>
    </message>
    <message>
        <source>A new name holds no /; &apos;move&apos; puts things into another folder.</source>
        <translation>Ein neuer Name enthält kein /; „move“ verschiebt in einen anderen Ordner.</translation>
    </message>
    <message>
        <source>There is no folder %1 on the discwand.</source>
        <translation>Auf dem discwand gibt es keinen Ordner %1.</translation>
    </message>
    <message>
        <source>There is no image or folder %1 on the discwand (&apos;list&apos; shows them).</source>
        <translation>Auf dem discwand gibt es kein Abbild und keinen Ordner %1 („list“ zeigt sie).</translation>
    </message>
    <message>
        <source>%1 cannot go to %2: %3.</source>
        <translation>%1 kann nicht nach %2: %3.</translation>
    </message>
    <message>
        <source>Couldn&apos;t move %1: %2.</source>
        <translation>%1 konnte nicht verschoben werden: %2.</translation>
    </message>
    <message>
        <source>The discwand will boot %1.</source>
        <translation>Der discwand startet künftig %1.</translation>
    </message>
</context>
<context>
    <name>NewFolder</name>
    <message>
        <source>A folder needs a name.</source>
        <translation>Ein Ordner braucht einen Namen.</translation>
    </message>
    <message>
        <source>&quot;.&quot; and &quot;..&quot; cannot name a new folder.</source>
        <translation>„.“ und „..“ können keinen neuen Ordner benennen.</translation>
    </message>
    <message>
        <source>A folder name on the discwand cannot hold any of \ / : * ? &quot; &lt; &gt; | (nor control characters).</source>
        <translation>Ein Ordnername auf dem discwand darf keines von \ / : * ? &quot; &lt; &gt; | enthalten (und keine Steuerzeichen).</translation>
    </message>
    <message>
        <source>A folder name on the discwand cannot end in a dot or a space.</source>
        <translation>Ein Ordnername auf dem discwand darf nicht auf einen Punkt oder ein Leerzeichen enden.</translation>
    </message>
    <message>
        <source>A folder name on the discwand can be 255 characters long at most.</source>
        <translation>Ein Ordnername auf dem discwand darf höchstens 255 Zeichen lang sein.</translation>
    </message>
    <message>
        <source>There is something of that name there already (the discwand does not tell capital from small letters).</source>
        <translation>Dort gibt es schon etwas dieses Namens (der discwand unterscheidet Groß- und Kleinbuchstaben nicht).</translation>
    </message>
    <message>
        <source>The discwand did not let the folder be made.</source>
        <translation>Der discwand ließ den Ordner nicht anlegen.</translation>
    </message>
    <message>
        <source>Windows keeps this name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9), so the folder could not be opened there.</source>
        <translation>Windows hält diesen Namen für ein Gerät frei (CON, PRN, AUX, NUL, COM1 bis COM9, LPT1 bis LPT9), daher ließe sich der Ordner dort nicht öffnen.</translation>
    </message>
</context>
<context>
    <name>ProgressLine</name>
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
    <name>StatusCommand</name>
    <message>
        <source>Tell whether a discwand is plugged in, and its state.</source>
        <translation>Sagen, ob ein discwand eingesteckt ist, und in welchem Zustand.</translation>
    </message>
    <message>
        <source>Discwand:</source>
        <translation>discwand:</translation>
    </message>
    <message>
        <source>Label:</source>
        <translation>Bezeichnung:</translation>
    </message>
    <message>
        <source>File system:</source>
        <translation>Dateisystem:</translation>
    </message>
    <message>
        <source>Capacity:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>Free:</source>
        <translation>Frei:</translation>
    </message>
    <message>
        <source>Read-only:</source>
        <translation>Schreibschutz:</translation>
    </message>
    <message>
        <source>yes (the read-only switch is set)</source>
        <translation>ja (der Schreibschutzschalter ist gesetzt)</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>Boot image:</source>
        <translation>Startabbild:</translation>
    </message>
    <message>
        <source>none chosen</source>
        <translation>keines gewählt</translation>
    </message>
    <message>
        <source>Selector:</source>
        <translation>Auswahl:</translation>
    </message>
    <message>
        <source>config/wandmenu.bin present</source>
        <translation>config/wandmenu.bin vorhanden</translation>
    </message>
    <message>
        <source>missing (&apos;get-selector&apos; fetches it)</source>
        <translation>fehlt („get-selector“ holt es)</translation>
    </message>
    <message>
        <source>status takes no arguments.</source>
        <translation>status nimmt keine Argumente.</translation>
    </message>
    <message>
        <source>yes (the stick&apos;s file system has errors: run check, or repair it with fsck.fat)</source>
        <translation>ja (das Dateisystem des Sticks hat Fehler: check ausführen oder mit fsck.fat reparieren)</translation>
    </message>
    <message>
        <source>Every discwand plugged in is told, or the one named with --stick. Exit status 3 when there is none.</source>
        <translation>Jeder eingesteckte discwand wird genannt, oder der mit --stick angegebene. Rückgabewert 3, wenn keiner da ist.</translation>
    </message>
    <message>
        <source>Print the state as JSON: an array, one object per discwand.</source>
        <translation>Den Zustand als JSON ausgeben: ein Array, ein Objekt je discwand.</translation>
    </message>
</context>
<context>
    <name>StickActions</name>
    <message>
        <source>Add &amp;Images…</source>
        <translation>&amp;Images hinzufügen…</translation>
    </message>
    <message>
        <source>&amp;Eject</source>
        <translation>Aus&amp;werfen</translation>
    </message>
    <message>
        <source>New &amp;Folder…</source>
        <translation>&amp;Neuer Ordner…</translation>
    </message>
    <message>
        <source>&amp;Delete…</source>
        <translation>&amp;Löschen…</translation>
    </message>
    <message>
        <source>&lt;The discwand can be removed now&gt;</source>
        <translation>&lt;Der discwand kann jetzt abgezogen werden&gt;</translation>
    </message>
    <message>
        <source>Add images to %1</source>
        <translation>Images hinzufügen nach %1</translation>
    </message>
    <message>
        <source>ISO images (*.iso *.ISO *.Iso);;All files (*)</source>
        <translation>ISO-Images (*.iso *.ISO *.Iso);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>discwand disappeared!</source>
        <translation>discwand verschwunden!</translation>
    </message>
    <message>
        <source>The discwand is no longer there.</source>
        <translation>Der discwand ist nicht mehr da.</translation>
    </message>
    <message>
        <source>Couldn&apos;t write to discwand</source>
        <translation>Schreiben auf den discwand nicht möglich</translation>
    </message>
    <message>
        <source>The discwand takes no changes now. Please check that the read-only switch is in the read/write position; you may need to replug the discwand for this to take effect.</source>
        <translation>Der discwand nimmt gerade keine Änderungen an. Bitte prüfen Sie, ob der Schreibschutzschalter auf Lesen/Schreiben steht; eventuell müssen Sie den discwand dafür neu einstecken.</translation>
    </message>
    <message>
        <source>Can&apos;t delete this image now</source>
        <translation>Dieses Image kann jetzt nicht gelöscht werden</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is being copied to the discwand. Cancel its copy or let it finish, then delete it.</source>
        <translation>„%1“ wird gerade auf den discwand kopiert. Brechen Sie die Kopie ab oder lassen Sie sie fertig werden, und löschen Sie es dann.</translation>
    </message>
    <message>
        <source>Delete &quot;%1&quot; from the discwand?

This frees %2.</source>
        <translation>„%1“ vom discwand löschen?

Das gibt %2 frei.</translation>
    </message>
    <message>
        <source>Delete &quot;%1&quot; from the discwand? It is stored in %2 parts, which all go:

%3

This frees %4.</source>
        <translation>„%1“ vom discwand löschen? Es liegt in %2 Teilen, die alle gelöscht werden:

%3

Das gibt %4 frei.</translation>
    </message>
    <message>
        <source>Delete image?</source>
        <translation>Image löschen?</translation>
    </message>
    <message>
        <source>Delete the boot image?</source>
        <translation>Das Boot-Image löschen?</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is the image the discwand loads when it boots. Delete it all the same?

The discwand has no image to load until you choose another one with Load ISO.</source>
        <translation>„%1“ ist das Image, das der discwand beim Start lädt. Trotzdem löschen?

Der discwand hat dann kein Image zu laden, bis Sie mit „ISO laden“ ein anderes wählen.</translation>
    </message>
    <message>
        <source>Couldn&apos;t delete</source>
        <translation>Löschen nicht möglich</translation>
    </message>
    <message>
        <source>These files could not be deleted from the discwand:

%1</source>
        <translation>Diese Dateien ließen sich nicht vom discwand löschen:

%1</translation>
    </message>
    <message>
        <source>Can&apos;t delete this folder now</source>
        <translation>Dieser Ordner kann jetzt nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Images are being copied into &quot;%1&quot;.</source>
        <translation>Gerade werden Images nach „%1“ kopiert.</translation>
    </message>
    <message>
        <source>Delete folder?</source>
        <translation>Ordner löschen?</translation>
    </message>
    <message>
        <source>Delete the empty folder &quot;%1&quot; from the discwand?</source>
        <translation>Den leeren Ordner „%1“ vom discwand löschen?</translation>
    </message>
    <message>
        <source>New folder in %1</source>
        <translation>Neuer Ordner in %1</translation>
    </message>
    <message>
        <source>Name of the new folder:</source>
        <translation>Name des neuen Ordners:</translation>
    </message>
    <message>
        <source>Can&apos;t make this folder</source>
        <translation>Dieser Ordner kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>&lt;Ejecting the discwand…&gt;</source>
        <translation>&lt;Der discwand wird ausgeworfen…&gt;</translation>
    </message>
    <message>
        <source>discwand not powered off</source>
        <translation>discwand nicht ausgeschaltet</translation>
    </message>
    <message>
        <source>Eject the discwand yourself</source>
        <translation>Den discwand selbst auswerfen</translation>
    </message>
    <message>
        <source>Couldn&apos;t eject the discwand</source>
        <translation>Konnte den discwand nicht auswerfen</translation>
    </message>
    <message>
        <source>The discwand&apos;s read-only switch is set: nothing can be written to it.</source>
        <translation>Der Schreibschutzschalter des Discwand ist gesetzt: nichts kann auf ihn geschrieben werden.</translation>
    </message>
    <message numerus="yes">
        <source>Delete the folder &quot;%1&quot; and the %n files in it from the discwand?

This frees %2.</source>
        <translation>
            <numerusform>Den Ordner „%1“ und die %n Datei darin vom Discwand löschen?

Das macht %2 frei.</numerusform>
            <numerusform>Den Ordner „%1“ und die %n Dateien darin vom Discwand löschen?

Das macht %2 frei.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Delete the folder &quot;%1&quot; from the discwand with everything in it (%n files)? These images go:

%2

This frees %3.</source>
        <translation>
            <numerusform>Den Ordner „%1“ mit allem darin (%n Datei) vom Discwand löschen? Diese Images werden gelöscht:

%2

Das macht %3 frei.</numerusform>
            <numerusform>Den Ordner „%1“ mit allem darin (%n Dateien) vom Discwand löschen? Diese Images werden gelöscht:

%2

Das macht %3 frei.</numerusform>
        </translation>
    </message>
    <message>
        <source>These could not be deleted from the discwand:

%1</source>
        <translation>Dies konnte nicht vom Discwand gelöscht werden:

%1</translation>
    </message>
    <message>
        <source>Get Image from &amp;Address…</source>
        <translation>Abbild von A&amp;dresse holen…</translation>
    </message>
</context>
<context>
    <name>StickCheck</name>
    <message>
        <source>%1 was left by an interrupted copy</source>
        <translation>%1 blieb von einer abgebrochenen Kopie übrig</translation>
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
    <message>
        <source>The discwand&apos;s file system has errors, so the system made it read-only: unmount it and repair it with fsck.fat</source>
        <translation>Das Dateisystem des discwands hat Fehler, daher hat das System ihn schreibgeschützt eingehängt: aushängen und mit fsck.fat reparieren</translation>
    </message>
    <message>
        <source>%1: a copy is under way</source>
        <translation>%1: eine Kopie läuft</translation>
    </message>
    <message>
        <source>%1 is stored both as one file and as numbered parts; delete the one that is not wanted</source>
        <translation>%1 liegt sowohl als eine Datei als auch in nummerierten Teilen vor; löschen Sie, was nicht gewollt ist</translation>
    </message>
    <message>
        <source>Parts of %1 missing: %2</source>
        <translation>Bei %1 fehlen Teile: %2</translation>
    </message>
    <message>
        <source>Parts of %1 of the wrong size: %2</source>
        <translation>Teile von %1 sind falsch groß: %2</translation>
    </message>
    <message>
        <source>%1 has parts missing or of the wrong size</source>
        <translation>Bei %1 fehlen Teile oder sind falsch groß</translation>
    </message>
    <message>
        <source>%1 is in the record of verified images, but not on the discwand</source>
        <translation>%1 ist im Verzeichnis der geprüften Abbilder, aber nicht auf dem discwand</translation>
    </message>
    <message>
        <source>%1 was left by an interrupted move</source>
        <translation>%1 blieb von einem abgebrochenen Verschieben übrig</translation>
    </message>
</context>
<context>
    <name>StickChooser</name>
    <message>
        <source>no label</source>
        <translation>ohne Bezeichnung</translation>
    </message>
    <message>
        <source>%1 (%2, serial %3)</source>
        <translation>%1 (%2, Seriennummer %3)</translation>
    </message>
    <message>
        <source>%1 (serial %2)</source>
        <translation>%1 (Seriennummer %2)</translation>
    </message>
    <message>
        <source>Several discwands are plugged in: the one shown below. The choice is remembered.</source>
        <translation>Mehrere discwands sind eingesteckt: hier der unten gezeigte. Die Wahl wird gemerkt.</translation>
    </message>
</context>
<context>
    <name>StickMove</name>
    <message>
        <source>an image&apos;s name must end in .iso</source>
        <translation>der Name eines Images muss auf .iso enden</translation>
    </message>
    <message>
        <source>there is no such image or folder on the discwand</source>
        <translation>auf dem Discwand gibt es kein solches Image und keinen solchen Ordner</translation>
    </message>
    <message>
        <source>the folder to move into is not on the discwand</source>
        <translation>den Zielordner gibt es auf dem Discwand nicht</translation>
    </message>
    <message>
        <source>there is something of that name there already (the discwand does not tell capital from small letters)</source>
        <translation>dort gibt es schon etwas dieses Namens (der Discwand unterscheidet Groß- und Kleinbuchstaben nicht)</translation>
    </message>
    <message>
        <source>a folder cannot go into itself</source>
        <translation>ein Ordner kann nicht in sich selbst</translation>
    </message>
    <message>
        <source>the discwand&apos;s config folder and hidden names are its own</source>
        <translation>der config-Ordner und versteckte Namen gehören dem Discwand selbst</translation>
    </message>
    <message>
        <source>an image is being copied there; try again once the copy is done</source>
        <translation>dort wird gerade ein Image kopiert; versuchen Sie es wieder, wenn die Kopie fertig ist</translation>
    </message>
    <message>
        <source>the discwand boots this image, and could not be told its new path (%1 has a character beyond Latin-1)</source>
        <translation>der Discwand startet dieses Image und könnte seinen neuen Pfad nicht erfahren (%1 enthält ein Zeichen außerhalb von Latin-1)</translation>
    </message>
    <message>
        <source>the discwand refused the change; everything keeps its name</source>
        <translation>der Discwand hat die Änderung verweigert; alles behält seinen Namen</translation>
    </message>
</context>
<context>
    <name>StickOverview</name>
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
    <message numerus="yes">
        <source>%n &amp;problem(s)</source>
        <translation>
            <numerusform>%n &amp;Problem</numerusform>
            <numerusform>%n &amp;Probleme</numerusform>
        </translation>
    </message>
    <message>
        <source>read-only: its file system has errors, repair it with fsck.fat</source>
        <translation>schreibgeschützt: Dateisystem mit Fehlern, mit fsck.fat reparieren</translation>
    </message>
    <message>
        <source>Boots: nothing chosen</source>
        <translation>Startet: nichts gewählt</translation>
    </message>
    <message>
        <source>Boots: %1</source>
        <translation>Startet: %1</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>Remove leftovers…</source>
        <translation>Reste entfernen…</translation>
    </message>
    <message>
        <source>Remove its parts…</source>
        <translation>Seine Teile entfernen…</translation>
    </message>
    <message>
        <source>Delete or keep…</source>
        <translation>Löschen oder behalten…</translation>
    </message>
    <message>
        <source>Download it</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Choose another…</source>
        <translation>Ein anderes wählen…</translation>
    </message>
    <message>
        <source>Delete or keep?</source>
        <translation>Löschen oder behalten?</translation>
    </message>
    <message>
        <source>%1.
Delete it from the discwand, or keep it and no longer count it as a problem?</source>
        <translation>%1.
Vom discwand löschen, oder behalten und nicht mehr als Problem zählen?</translation>
    </message>
    <message>
        <source>Delete…</source>
        <translation>Löschen…</translation>
    </message>
    <message>
        <source>Keep It</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>%1
Remove %2 from the discwand? This frees %3.</source>
        <translation>%1
%2 vom discwand entfernen? Das gibt %3 frei.</translation>
    </message>
    <message>
        <source>Forget it</source>
        <translation>Vergessen</translation>
    </message>
    <message>
        <source>Remove it…</source>
        <translation>Entfernen …</translation>
    </message>
</context>
<context>
    <name>StickSession</name>
    <message>
        <source>Couldn&apos;t look for the discwand: the description of this computer&apos;s disks can&apos;t be read.</source>
        <translation>Konnte nicht nach dem discwand suchen: Die Beschreibung der Laufwerke dieses Computers ist nicht lesbar.</translation>
    </message>
    <message>
        <source>No discwand found. Plug it in (or wait for it with &apos;wait&apos;).</source>
        <translation>Kein discwand gefunden. Stecken Sie ihn ein (oder warten Sie mit „wait“ auf ihn).</translation>
    </message>
    <message>
        <source>The discwand is read-only: move its read-only switch to the read/write position and plug it in again.</source>
        <translation>Der discwand ist schreibgeschützt: Stellen Sie seinen Schreibschutzschalter auf Lesen/Schreiben und stecken Sie ihn erneut ein.</translation>
    </message>
    <message>
        <source>The discwand&apos;s file system has errors, so the system made it read-only: run check, or repair it with fsck.fat.</source>
        <translation>Das Dateisystem des discwands hat Fehler, daher hat das System ihn schreibgeschützt eingehängt: check ausführen oder mit fsck.fat reparieren.</translation>
    </message>
    <message numerus="yes">
        <source>%n discwand(s) are plugged in; name the one meant with --stick SERIAL|MOUNTPOINT|LABEL:</source>
        <translation>
            <numerusform>%n discwand ist eingesteckt; geben Sie den gemeinten mit --stick SERIENNUMMER|EINHÄNGEPUNKT|BEZEICHNUNG an:</numerusform>
            <numerusform>%n discwands sind eingesteckt; geben Sie den gemeinten mit --stick SERIENNUMMER|EINHÄNGEPUNKT|BEZEICHNUNG an:</numerusform>
        </translation>
    </message>
    <message>
        <source>No discwand is called %1. Plugged in:</source>
        <translation>Kein discwand heißt %1. Eingesteckt sind:</translation>
    </message>
    <message>
        <source>no label</source>
        <translation>ohne Bezeichnung</translation>
    </message>
</context>
<context>
    <name>SyncCommand</name>
    <message>
        <source>Bring a folder of the discwand up to date with a folder of images.</source>
        <translation>Einen Ordner des discwand mit einem Ordner voller Abbilder abgleichen.</translation>
    </message>
    <message>
        <source>The ISO images directly in FOLDER are compared with those in the discwand&apos;s folder: new ones are copied, ones that differ (in size, or in their bytes by SHA-256) replace the discwand&apos;s, the same ones are left alone, and with --delete the discwand&apos;s images that FOLDER lacks are deleted (never the one it boots). The plan is printed first (one line an image: new, replace, same, remove) and checked for room as a whole; then it is carried out, copies verified, unless --dry-run. Nothing outside the discwand&apos;s folder is touched.</source>
        <translation>Die ISO-Abbilder direkt in ORDNER werden mit denen im Ordner des discwand verglichen: neue werden kopiert, abweichende (in der Größe oder per SHA-256 in ihren Bytes) ersetzen die des discwand, gleiche bleiben unberührt, und mit --delete werden die Abbilder des discwand gelöscht, die ORDNER nicht hat (nie das, das er startet). Zuerst wird der Plan ausgegeben (eine Zeile je Abbild: new, replace, same, remove) und als Ganzes auf Platz geprüft; dann wird er ausgeführt, Kopien geprüft, außer mit --dry-run. Außerhalb des Ordners auf dem discwand wird nichts angefasst.</translation>
    </message>
    <message>
        <source>A folder of ISO images.</source>
        <translation>Ein Ordner mit ISO-Abbildern.</translation>
    </message>
    <message>
        <source>The folder on the discwand (default: its top level).</source>
        <translation>Der Ordner auf dem discwand (Vorgabe: seine oberste Ebene).</translation>
    </message>
    <message>
        <source>STICKFOLDER</source>
        <translation>STICKORDNER</translation>
    </message>
    <message>
        <source>Make the folder on the discwand when it is not there.</source>
        <translation>Den Ordner auf dem discwand anlegen, wenn es ihn nicht gibt.</translation>
    </message>
    <message>
        <source>Delete the discwand&apos;s images that the folder does not hold.</source>
        <translation>Die Abbilder des discwand löschen, die der Ordner nicht enthält.</translation>
    </message>
    <message>
        <source>Print the plan; change nothing.</source>
        <translation>Den Plan ausgeben; nichts ändern.</translation>
    </message>
    <message>
        <source>Print the plan as JSON.</source>
        <translation>Den Plan als JSON ausgeben.</translation>
    </message>
    <message>
        <source>frees %1</source>
        <translation>macht %1 frei</translation>
    </message>
    <message>
        <source>Name the one folder of images to sync from.</source>
        <translation>Nennen Sie den einen Ordner mit Abbildern, von dem abgeglichen wird.</translation>
    </message>
    <message>
        <source>%1 is no folder for images on the discwand: name it from the top level, without &quot;.&quot; or &quot;..&quot;, and not its config folder.</source>
        <translation>%1 ist kein Ordner für Abbilder auf dem discwand: geben Sie ihn von der obersten Ebene aus an, ohne „.“ oder „..“, und nicht seinen config-Ordner.</translation>
    </message>
    <message>
        <source>%1: no such folder.</source>
        <translation>%1: kein solcher Ordner.</translation>
    </message>
    <message>
        <source>There is no folder %1 on the discwand; --parents makes it.</source>
        <translation>Auf dem discwand gibt es keinen Ordner %1; --parents legt ihn an.</translation>
    </message>
    <message>
        <source>Comparing %1 with %2 on the discwand...</source>
        <translation>%1 wird mit %2 auf dem discwand verglichen ...</translation>
    </message>
    <message>
        <source>%1: same size, comparing SHA-256...</source>
        <translation>%1: gleiche Größe, SHA-256 wird verglichen ...</translation>
    </message>
    <message>
        <source>%1 is the image the discwand boots; it stays.</source>
        <translation>%1 ist das Abbild, das der discwand startet; es bleibt.</translation>
    </message>
    <message>
        <source>Nothing to do: %1 on the discwand holds these images already.</source>
        <translation>Nichts zu tun: %1 auf dem discwand enthält diese Abbilder schon.</translation>
    </message>
    <message>
        <source>The plan needs %1 more on the discwand, which has %2 free; nothing was changed.</source>
        <translation>Der Plan braucht %1 mehr auf dem discwand, der %2 frei hat; nichts wurde geändert.</translation>
    </message>
    <message>
        <source>Couldn&apos;t delete from the discwand: %1</source>
        <translation>Konnte nicht vom discwand gelöscht werden: %1</translation>
    </message>
    <message>
        <source>Deleted %1.</source>
        <translation>%1 gelöscht.</translation>
    </message>
</context>
<context>
    <name>TreeFilter</name>
    <message>
        <source>Filter by name or volume label (Ctrl+F)</source>
        <translation>Nach Name oder Datenträgerbezeichnung filtern (Strg+F)</translation>
    </message>
    <message numerus="yes">
        <source>%n images match</source>
        <translation>
            <numerusform>%n Image passt</numerusform>
            <numerusform>%n Images passen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>VerifyCommand</name>
    <message>
        <source>Read images on the discwand again and compare them with what was written.</source>
        <translation>Abbilder auf dem discwand erneut lesen und mit dem Geschriebenen vergleichen.</translation>
    </message>
    <message>
        <source>The discwand keeps a record of the SHA-256 of every image Discshelf copied to it. Each image named (or with --all, every image) is read from the device again and is intact, damaged (same size and time, other bytes), changed since it was recorded (written outside Discshelf), or not recorded yet; changed and unrecorded images are recorded as they are now. Exit status 8 when an image is damaged or a recorded one is gone, 11 when one was changed or not recorded yet.</source>
        <translation>Der discwand führt ein Verzeichnis der SHA-256 jedes Abbilds, das Discshelf auf ihn kopiert hat. Jedes genannte Abbild (mit --all jedes Abbild) wird erneut vom Gerät gelesen und ist unversehrt, beschädigt (gleiche Größe und Zeit, andere Bytes), seit dem Verzeichnen geändert (außerhalb von Discshelf geschrieben) oder noch nicht verzeichnet; geänderte und nicht verzeichnete Abbilder werden so verzeichnet, wie sie jetzt sind. Rückgabewert 8, wenn ein Abbild beschädigt ist oder ein verzeichnetes fehlt, 11, wenn eines geändert oder noch nicht verzeichnet war.</translation>
    </message>
    <message>
        <source>Images as &apos;list&apos; shows them (/linux/a.iso).</source>
        <translation>Abbilder, wie &apos;list&apos; sie zeigt (/linux/a.iso).</translation>
    </message>
    <message>
        <source>Verify every image on the discwand.</source>
        <translation>Jedes Abbild auf dem discwand prüfen.</translation>
    </message>
    <message>
        <source>Print the results as JSON.</source>
        <translation>Die Ergebnisse als JSON ausgeben.</translation>
    </message>
    <message>
        <source>Name the images to verify, or give --all.</source>
        <translation>Nennen Sie die zu prüfenden Abbilder oder geben Sie --all an.</translation>
    </message>
    <message>
        <source>%1: no such image on the discwand.</source>
        <translation>%1: kein solches Abbild auf dem discwand.</translation>
    </message>
    <message>
        <source>The record on the discwand could not be written.</source>
        <translation>Das Verzeichnis auf dem discwand konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>There are no images on the discwand.</source>
        <translation>Auf dem discwand sind keine Abbilder.</translation>
    </message>
</context>
<context>
    <name>WaitCommand</name>
    <message>
        <source>Wait until a discwand is plugged in; print where it is.</source>
        <translation>Warten, bis ein discwand eingesteckt ist; ausgeben, wo er ist.</translation>
    </message>
    <message>
        <source>Returns at once when one is there already. Its mount point goes to standard output.</source>
        <translation>Kehrt sofort zurück, wenn schon einer da ist. Sein Einhängepunkt geht auf die Standardausgabe.</translation>
    </message>
    <message>
        <source>Give up after this many seconds (exit status 3).</source>
        <translation>Nach so vielen Sekunden aufgeben (Rückgabewert 3).</translation>
    </message>
    <message>
        <source>S</source>
        <translation>S</translation>
    </message>
    <message>
        <source>wait takes no arguments.</source>
        <translation>wait nimmt keine Argumente.</translation>
    </message>
    <message>
        <source>--timeout wants a number of seconds.</source>
        <translation>--timeout erwartet eine Anzahl Sekunden.</translation>
    </message>
    <message>
        <source>Waiting for a discwand...</source>
        <translation>Warte auf einen discwand …</translation>
    </message>
    <message>
        <source>No discwand appeared within %1 seconds.</source>
        <translation>Innerhalb von %1 Sekunden ist kein discwand erschienen.</translation>
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
        <source>&lt;Waiting for a discwand to appear&gt;</source>
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
        <source>Can&apos;t load this image</source>
        <translation>Dieses Abbild kann nicht geladen werden</translation>
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
        <source>The discwand&apos;s file system cannot hold a file this large.</source>
        <translation>Das Dateisystem des Discwand kann keine so große Datei aufnehmen.</translation>
    </message>
    <message>
        <source>The file changed while it was copied; the discwand keeps what it had.</source>
        <translation>Die Datei hat sich beim Kopieren geändert; der Discwand behält, was er hatte.</translation>
    </message>
    <message>
        <source>Names the discwand cannot take</source>
        <translation>Namen, die der Discwand nicht aufnehmen kann</translation>
    </message>
    <message>
        <source>The discwand cannot take these names, so these images are left out. Rename the files and drop them again.

%1</source>
        <translation>Der Discwand kann diese Namen nicht aufnehmen, daher werden diese Abbilder ausgelassen. Benennen Sie die Dateien um und ziehen Sie sie erneut hierher.

%1</translation>
    </message>
    <message>
        <source>Stopping the copy...</source>
        <translation>Die Kopie wird angehalten …</translation>
    </message>
    <message>
        <source>The copy of &quot;%1&quot; could not be stopped: it has not moved for %2 seconds (its source or the discwand does not answer). Discshelf quits anyway; what the copy wrote so far stays hidden on the discwand and never takes the place of an image.</source>
        <translation>Die Kopie von „%1“ ließ sich nicht abbrechen: sie ist seit %2 Sekunden nicht vorangekommen (ihre Quelle oder der Discwand antwortet nicht). Discshelf wird trotzdem beendet; was die Kopie bisher geschrieben hat, bleibt verborgen auf dem Discwand und ersetzt nie ein Abbild.</translation>
    </message>
    <message>
        <source>checking %p%</source>
        <translation>wird geprüft, %p %</translation>
    </message>
    <message>
        <source>The image does not match the checksum published in %1; it was not copied.</source>
        <translation>Das Abbild stimmt nicht mit der in %1 veröffentlichten Prüfsumme überein; es wurde nicht kopiert.</translation>
    </message>
    <message>
        <source>The image does not match the checksum given; it was not copied.</source>
        <translation>Das Abbild stimmt nicht mit der angegebenen Prüfsumme überein; es wurde nicht kopiert.</translation>
    </message>
    <message>
        <source>The checksum file %1 cannot be read; the image was not copied.</source>
        <translation>Die Prüfsummendatei %1 kann nicht gelesen werden; das Abbild wurde nicht kopiert.</translation>
    </message>
    <message>
        <source>%1 lists the image twice with different checksums; it was not copied.</source>
        <translation>%1 führt das Abbild zweimal mit verschiedenen Prüfsummen auf; es wurde nicht kopiert.</translation>
    </message>
    <message>
        <source>The download failed.</source>
        <translation>Das Herunterladen ist fehlgeschlagen.</translation>
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
    <message>
        <source>Add &amp;Images…</source>
        <translation>&amp;Images hinzufügen…</translation>
    </message>
    <message>
        <source>&amp;Eject</source>
        <translation>Aus&amp;werfen</translation>
    </message>
    <message>
        <source>Cancel &amp;All</source>
        <translation>Alle a&amp;bbrechen</translation>
    </message>
    <message>
        <source>Abort &amp;Scan</source>
        <translation>&amp;Suche abbrechen</translation>
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
    <message>
        <source>SHA-256: %1</source>
        <translation>SHA-256: %1</translation>
    </message>
    <message>
        <source>matches %1</source>
        <translation>stimmt mit %1 überein</translation>
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
