<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AllSticksCopy</name>
    <message numerus="yes">
        <source>%1: %n image(s) copied, exit status %2.</source>
        <translation>
            <numerusform>%1: %n image copied, exit status %2.</numerusform>
            <numerusform>%1: %n images copied, exit status %2.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CopyProgress</name>
    <message numerus="yes">
        <source>Copied %n image(s) (%1) in %2</source>
        <translation>
            <numerusform>Copied %n image (%1) in %2</numerusform>
            <numerusform>Copied %n images (%1) in %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Copied %1 of %n image(s) (%2) in %3</source>
        <translation>
            <numerusform>Copied %1 of %n image (%2) in %3</numerusform>
            <numerusform>Copied %1 of %n images (%2) in %3</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %n failed: %1</source>
        <translation>
            <numerusform>; %n failed: %1</numerusform>
            <numerusform>; %n failed: %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LibraryActions</name>
    <message numerus="yes">
        <source>Left as they are: %n</source>
        <translation>
            <numerusform>Left as they are: %n</numerusform>
            <numerusform>Left as they are: %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ListCommand</name>
    <message numerus="yes">
        <source>%n parts</source>
        <translation>
            <numerusform>%n part</numerusform>
            <numerusform>%n parts</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StickActions</name>
    <message numerus="yes">
        <source>Delete the folder &quot;%1&quot; and the %n files in it from the discwand?

This frees %2.</source>
        <translation>
            <numerusform>Delete the folder &quot;%1&quot; and the %n file in it from the discwand?

This frees %2.</numerusform>
            <numerusform>Delete the folder &quot;%1&quot; and the %n files in it from the discwand?

This frees %2.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Delete the folder &quot;%1&quot; from the discwand with everything in it (%n files)? These images go:

%2

This frees %3.</source>
        <translation>
            <numerusform>Delete the folder &quot;%1&quot; from the discwand with everything in it (%n file)? These images go:

%2

This frees %3.</numerusform>
            <numerusform>Delete the folder &quot;%1&quot; from the discwand with everything in it (%n files)? These images go:

%2

This frees %3.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StickOverview</name>
    <message numerus="yes">
        <source>%n &amp;problem(s)</source>
        <translation>
            <numerusform>%n &amp;problem</numerusform>
            <numerusform>%n &amp;problems</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StickSession</name>
    <message numerus="yes">
        <source>%n discwand(s) are plugged in; name the one meant with --stick SERIAL|MOUNTPOINT|LABEL:</source>
        <translation>
            <numerusform>%n discwand is plugged in; name the one meant with --stick SERIAL|MOUNTPOINT|LABEL:</numerusform>
            <numerusform>%n discwands are plugged in; name the one meant with --stick SERIAL|MOUNTPOINT|LABEL:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TreeFilter</name>
    <message numerus="yes">
        <source>%n images match</source>
        <translation>
            <numerusform>%n image matches</numerusform>
            <numerusform>%n images match</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>isoTreeWidget</name>
    <message numerus="yes">
        <source>Split file: %n parts</source>
        <translation>
            <numerusform>Split file: %n part</numerusform>
            <numerusform>Split file: %n parts</numerusform>
        </translation>
    </message>
</context>
</TS>
