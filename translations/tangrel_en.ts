<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The program's own texts are English and Chinese. Under a Chinese locale
     they stand as they are; under any other, these English texts take the
     place of the Chinese ones. -->
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Tangrel</name>
    <message>
        <source>不能创建文件%s.</source>
        <translation>Cannot create file %s.</translation>
    </message>
    <message>
        <source>不能写入文件%s.</source>
        <translation>Cannot write file %s.</translation>
    </message>
    <message>
        <source>不能找到或打开文件%s.</source>
        <translation>Cannot find or open file %s.</translation>
    </message>
    <message>
        <source>文件%s不是标准的Tangrel文件.</source>
        <translation>File %s is not a standard Tangrel file.</translation>
    </message>
    <message>
        <source>文件%s不是被支持的Tangrel文件.</source>
        <translation>File %s is not a supported Tangrel file.</translation>
    </message>
    <message>
        <source>不能读取文件%s.</source>
        <translation>Cannot read file %s.</translation>
    </message>
    <message>
        <source>内存分配错误.</source>
        <translation>Memory allocation error.</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>1 Press Shift(Ctrl) to rise(fall) 8 musical scale when play music。 2 Please press Esc when Voice is out of the way</source>
        <translation>1 Press Shift(Ctrl) to rise(fall) 8 musical scale when play music. 2 Please press Esc when Voice is out of the way</translation>
    </message>
</context>
</TS>
