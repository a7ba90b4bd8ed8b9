<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>TestStrings</name>
    <message>
        <source>GREETING</source>
        <translation>Hello, “%@”!</translation>
    </message>
    <message>
        <source>MOVED</source>
        <translation>“%2$@” was moved to “%1$@”.</translation>
    </message>
</context>
</TS>
