<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Tangrel</name>
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
    <message>
        <source>Piano</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acoustic Grand Piano</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bright Acoustic Piano</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Electric Grand Piano</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Honky-tonk Piano</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rhodes Piano</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chorused Piano</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Harpsichord</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clavinet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chromatic Percussion</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Celesta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Glockenspiel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Music Box</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vibraphone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Marimba</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Xylophone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tubular Bells</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dulcimer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Organ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hammond Organ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Percussive Organ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rock Organ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Church Organ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reed Organ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Accordian</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Harmonica</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tango Accordian</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Guitar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acoustic Guitar (nylon)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acoustic Guitar (steel)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Electric Guitar (jazz)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Electric Guitar (clean)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Electric Guitar (muted)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overdriven Guitar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Distortion Guitar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Guitar Harmonics</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acoustic Bass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Electric Bass (finger)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Electric Bass (pick)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fretless Bass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slap Bass 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slap Bass 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Bass 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Bass 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Strings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Violin</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Viola</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cello</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrabass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tremolo Strings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pizzicato Strings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orchestral Harp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Timpani</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ensemble</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>String Ensemble 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>String Ensemble 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Strings 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Strings 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choir Aahs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Voice Oohs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Voice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orchestra Hit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brass</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trumpet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trombone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tuba</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Muted Trumpet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>French Horn</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brass Section</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Brass 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Brass 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Soprano Sax</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alto Sax</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tenor Sax</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Baritone Sax</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Oboe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>English Horn</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bassoon</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clarinet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pipe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Piccolo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Flute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pan Flute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bottle Blow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shakuhachi</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Whistle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ocarina</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Lead</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lead 1 (square)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lead 2 (sawtooth)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lead 3 (caliope lead)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lead 4 (chiff lead)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lead 5 (charang)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lead 6 (voice)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lead 7 (fifths)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lead 8 (brass + lead)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Pad</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pad 1 (new age)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pad 2 (warm)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pad 3 (polysynth)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pad 4 (choir)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pad 5 (bowed)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pad 6 (metallic)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pad 7 (halo)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pad 8 (sweep)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Effects</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FX 1 (rain)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FX 2 (soundtrack)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FX 3 (crystal)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FX 4 (atmosphere)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FX 5 (brightness)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FX 6 (goblins)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FX 7 (echoes)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FX 8 (sci-fi)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ethnic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sitar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Banjo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shamisen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Koto</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kalimba</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bagpipe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fiddle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shanai</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Percussive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tinkle Bell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Agogo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Steel Drums</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Woodblock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Taiko Drum</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Melodic Tom</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Synth Drum</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse Cymbal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound Effects</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Guitar Fret Noise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Breath Noise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seashore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bird Tweet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Telephone Ring</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Helicopter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Applause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gunshot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Built-in synthesizer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Switch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open	Alt+O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close	Alt+C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Instruments</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Major</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Begin to &amp;Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;End Recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Begin to &amp;Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Circ&amp;le Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;nd Playing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save &amp;as</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xport Midi file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Load *.tgi</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Function</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add bourdon automatism</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Untitle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TGI Files(*.TGI)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Midi Files(*.MID)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No MIDI output devices!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open MIDI device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zazu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please Open Switch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you save current change in %s?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(c) 2026 Tangrel authors</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Made for players.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finish</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Circle play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>End Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Force</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freq</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tangrel Help</source>
        <translation type="unfinished"></translation>
    </message>
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
        <source>Recording: %1, notes: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playing in a loop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playing once</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take not saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drum kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Key %1, degree %2, %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velocity of the next notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pitch bend in semitones</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The disk is read-only.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permission denied.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The take cannot be written to its journal in %s. It is kept only in memory until you save it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The SoundFont %s changed on disk. The instruments already loaded play on; others stay silent until you close and open the Switch again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound output lost</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound output lost: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Licence: GNU GPL, version 3 or later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Standard Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Room Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Electronic Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TR-808 Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Jazz Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brush Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Orchestra Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SFX Kit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help	F1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Takes left unsaved when the program last ended, newest first:
%s
Recover the first one? No deletes it; Cancel keeps them all for the next start.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>recorded at %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s min %s s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>These journals cannot be read as a take and were set aside:
%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s, now %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The take cannot be written to a journal: neither XDG_STATE_HOME nor HOME names a folder. It is kept only in memory until you save it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording: %1, notes: %2, in memory only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take not saved, in memory only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Force: how hard the keys strike. Up and Down step it by 1, Page Up and Page Down by 8.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The SoundFont %s does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The SoundFont %s may not be read: permission denied.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The SoundFont %s is a folder, not a file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file %s is not a SoundFont that can be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TANGREL_AUDIO_DRIVER names the sound output &quot;%s&quot;, which does not exist; the outputs are %s.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound output %s: the sound server did not answer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound output %s: no sound server is running.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound output %s: there is no sound card.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound output %s did not start: %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The MIDI port &quot;%s&quot; is no longer there.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The MIDI port &quot;%s&quot; refused to open: %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound output lost: %1, the sound server does not answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound output lost: %1, no sound server is running</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
