<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>TestPlurals</name>
    <message numerus="yes">
        <source>%ld files</source>
        <translation>
            <numerusform>%ld file</numerusform>
            <numerusform>%ld files</numerusform>
        </translation>
    </message>
</context>
</TS>
