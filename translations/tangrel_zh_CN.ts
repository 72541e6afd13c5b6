<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Tangrel</name>
    <message>
        <source>Piano</source>
        <translation>钢琴</translation>
    </message>
    <message>
        <source>Acoustic Grand Piano</source>
        <translation>原声大钢琴</translation>
    </message>
    <message>
        <source>Bright Acoustic Piano</source>
        <translation>明亮原声钢琴</translation>
    </message>
    <message>
        <source>Electric Grand Piano</source>
        <translation>电子大钢琴</translation>
    </message>
    <message>
        <source>Honky-tonk Piano</source>
        <translation>酒吧钢琴</translation>
    </message>
    <message>
        <source>Rhodes Piano</source>
        <translation>罗兹电钢琴</translation>
    </message>
    <message>
        <source>Chorused Piano</source>
        <translation>合唱效果钢琴</translation>
    </message>
    <message>
        <source>Harpsichord</source>
        <translation>羽管键琴</translation>
    </message>
    <message>
        <source>Clavinet</source>
        <translation>击弦古钢琴</translation>
    </message>
    <message>
        <source>Chromatic Percussion</source>
        <translation>色彩打击乐器</translation>
    </message>
    <message>
        <source>Celesta</source>
        <translation>钢片琴</translation>
    </message>
    <message>
        <source>Glockenspiel</source>
        <translation>钟琴</translation>
    </message>
    <message>
        <source>Music Box</source>
        <translation>八音盒</translation>
    </message>
    <message>
        <source>Vibraphone</source>
        <translation>颤音琴</translation>
    </message>
    <message>
        <source>Marimba</source>
        <translation>马林巴</translation>
    </message>
    <message>
        <source>Xylophone</source>
        <translation>木琴</translation>
    </message>
    <message>
        <source>Tubular Bells</source>
        <translation>管钟</translation>
    </message>
    <message>
        <source>Dulcimer</source>
        <translation>扬琴</translation>
    </message>
    <message>
        <source>Organ</source>
        <translation>风琴</translation>
    </message>
    <message>
        <source>Hammond Organ</source>
        <translation>哈蒙德风琴</translation>
    </message>
    <message>
        <source>Percussive Organ</source>
        <translation>打击式风琴</translation>
    </message>
    <message>
        <source>Rock Organ</source>
        <translation>摇滚风琴</translation>
    </message>
    <message>
        <source>Church Organ</source>
        <translation>教堂管风琴</translation>
    </message>
    <message>
        <source>Reed Organ</source>
        <translation>簧风琴</translation>
    </message>
    <message>
        <source>Accordian</source>
        <translation>手风琴</translation>
    </message>
    <message>
        <source>Harmonica</source>
        <translation>口琴</translation>
    </message>
    <message>
        <source>Tango Accordian</source>
        <translation>探戈手风琴</translation>
    </message>
    <message>
        <source>Guitar</source>
        <translation>吉他</translation>
    </message>
    <message>
        <source>Acoustic Guitar (nylon)</source>
        <translation>尼龙弦吉他</translation>
    </message>
    <message>
        <source>Acoustic Guitar (steel)</source>
        <translation>钢弦吉他</translation>
    </message>
    <message>
        <source>Electric Guitar (jazz)</source>
        <translation>爵士电吉他</translation>
    </message>
    <message>
        <source>Electric Guitar (clean)</source>
        <translation>清音电吉他</translation>
    </message>
    <message>
        <source>Electric Guitar (muted)</source>
        <translation>闷音电吉他</translation>
    </message>
    <message>
        <source>Overdriven Guitar</source>
        <translation>过载吉他</translation>
    </message>
    <message>
        <source>Distortion Guitar</source>
        <translation>失真吉他</translation>
    </message>
    <message>
        <source>Guitar Harmonics</source>
        <translation>吉他泛音</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>贝司</translation>
    </message>
    <message>
        <source>Acoustic Bass</source>
        <translation>原声贝司</translation>
    </message>
    <message>
        <source>Electric Bass (finger)</source>
        <translation>指弹电贝司</translation>
    </message>
    <message>
        <source>Electric Bass (pick)</source>
        <translation>拨片电贝司</translation>
    </message>
    <message>
        <source>Fretless Bass</source>
        <translation>无品贝司</translation>
    </message>
    <message>
        <source>Slap Bass 1</source>
        <translation>击勾贝司 1</translation>
    </message>
    <message>
        <source>Slap Bass 2</source>
        <translation>击勾贝司 2</translation>
    </message>
    <message>
        <source>Synth Bass 1</source>
        <translation>合成贝司 1</translation>
    </message>
    <message>
        <source>Synth Bass 2</source>
        <translation>合成贝司 2</translation>
    </message>
    <message>
        <source>Strings</source>
        <translation>弦乐</translation>
    </message>
    <message>
        <source>Violin</source>
        <translation>小提琴</translation>
    </message>
    <message>
        <source>Viola</source>
        <translation>中提琴</translation>
    </message>
    <message>
        <source>Cello</source>
        <translation>大提琴</translation>
    </message>
    <message>
        <source>Contrabass</source>
        <translation>低音提琴</translation>
    </message>
    <message>
        <source>Tremolo Strings</source>
        <translation>弦乐震音</translation>
    </message>
    <message>
        <source>Pizzicato Strings</source>
        <translation>弦乐拨奏</translation>
    </message>
    <message>
        <source>Orchestral Harp</source>
        <translation>竖琴</translation>
    </message>
    <message>
        <source>Timpani</source>
        <translation>定音鼓</translation>
    </message>
    <message>
        <source>Ensemble</source>
        <translation>合奏</translation>
    </message>
    <message>
        <source>String Ensemble 1</source>
        <translation>弦乐合奏 1</translation>
    </message>
    <message>
        <source>String Ensemble 2</source>
        <translation>弦乐合奏 2</translation>
    </message>
    <message>
        <source>Synth Strings 1</source>
        <translation>合成弦乐 1</translation>
    </message>
    <message>
        <source>Synth Strings 2</source>
        <translation>合成弦乐 2</translation>
    </message>
    <message>
        <source>Choir Aahs</source>
        <translation>合唱“啊”</translation>
    </message>
    <message>
        <source>Voice Oohs</source>
        <translation>人声“哦”</translation>
    </message>
    <message>
        <source>Synth Voice</source>
        <translation>合成人声</translation>
    </message>
    <message>
        <source>Orchestra Hit</source>
        <translation>管弦乐齐奏</translation>
    </message>
    <message>
        <source>Brass</source>
        <translation>铜管</translation>
    </message>
    <message>
        <source>Trumpet</source>
        <translation>小号</translation>
    </message>
    <message>
        <source>Trombone</source>
        <translation>长号</translation>
    </message>
    <message>
        <source>Tuba</source>
        <translation>大号</translation>
    </message>
    <message>
        <source>Muted Trumpet</source>
        <translation>弱音小号</translation>
    </message>
    <message>
        <source>French Horn</source>
        <translation>圆号</translation>
    </message>
    <message>
        <source>Brass Section</source>
        <translation>铜管组</translation>
    </message>
    <message>
        <source>Synth Brass 1</source>
        <translation>合成铜管 1</translation>
    </message>
    <message>
        <source>Synth Brass 2</source>
        <translation>合成铜管 2</translation>
    </message>
    <message>
        <source>Reed</source>
        <translation>簧管</translation>
    </message>
    <message>
        <source>Soprano Sax</source>
        <translation>高音萨克斯</translation>
    </message>
    <message>
        <source>Alto Sax</source>
        <translation>中音萨克斯</translation>
    </message>
    <message>
        <source>Tenor Sax</source>
        <translation>次中音萨克斯</translation>
    </message>
    <message>
        <source>Baritone Sax</source>
        <translation>上低音萨克斯</translation>
    </message>
    <message>
        <source>Oboe</source>
        <translation>双簧管</translation>
    </message>
    <message>
        <source>English Horn</source>
        <translation>英国管</translation>
    </message>
    <message>
        <source>Bassoon</source>
        <translation>大管</translation>
    </message>
    <message>
        <source>Clarinet</source>
        <translation>单簧管</translation>
    </message>
    <message>
        <source>Pipe</source>
        <translation>吹管</translation>
    </message>
    <message>
        <source>Piccolo</source>
        <translation>短笛</translation>
    </message>
    <message>
        <source>Flute</source>
        <translation>长笛</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>竖笛</translation>
    </message>
    <message>
        <source>Pan Flute</source>
        <translation>排箫</translation>
    </message>
    <message>
        <source>Bottle Blow</source>
        <translation>吹瓶声</translation>
    </message>
    <message>
        <source>Shakuhachi</source>
        <translation>尺八</translation>
    </message>
    <message>
        <source>Whistle</source>
        <translation>口哨</translation>
    </message>
    <message>
        <source>Ocarina</source>
        <translation>陶笛</translation>
    </message>
    <message>
        <source>Synth Lead</source>
        <translation>合成主音</translation>
    </message>
    <message>
        <source>Lead 1 (square)</source>
        <translation>主音 1（方波）</translation>
    </message>
    <message>
        <source>Lead 2 (sawtooth)</source>
        <translation>主音 2（锯齿波）</translation>
    </message>
    <message>
        <source>Lead 3 (caliope lead)</source>
        <translation>主音 3（汽笛风琴）</translation>
    </message>
    <message>
        <source>Lead 4 (chiff lead)</source>
        <translation>主音 4（吹管）</translation>
    </message>
    <message>
        <source>Lead 5 (charang)</source>
        <translation>主音 5（电吉他）</translation>
    </message>
    <message>
        <source>Lead 6 (voice)</source>
        <translation>主音 6（人声）</translation>
    </message>
    <message>
        <source>Lead 7 (fifths)</source>
        <translation>主音 7（五度）</translation>
    </message>
    <message>
        <source>Lead 8 (brass + lead)</source>
        <translation>主音 8（铜管加主音）</translation>
    </message>
    <message>
        <source>Synth Pad</source>
        <translation>合成音垫</translation>
    </message>
    <message>
        <source>Pad 1 (new age)</source>
        <translation>音垫 1（新世纪）</translation>
    </message>
    <message>
        <source>Pad 2 (warm)</source>
        <translation>音垫 2（温暖）</translation>
    </message>
    <message>
        <source>Pad 3 (polysynth)</source>
        <translation>音垫 3（复音合成）</translation>
    </message>
    <message>
        <source>Pad 4 (choir)</source>
        <translation>音垫 4（合唱）</translation>
    </message>
    <message>
        <source>Pad 5 (bowed)</source>
        <translation>音垫 5（弓弦）</translation>
    </message>
    <message>
        <source>Pad 6 (metallic)</source>
        <translation>音垫 6（金属）</translation>
    </message>
    <message>
        <source>Pad 7 (halo)</source>
        <translation>音垫 7（光环）</translation>
    </message>
    <message>
        <source>Pad 8 (sweep)</source>
        <translation>音垫 8（扫频）</translation>
    </message>
    <message>
        <source>Synth Effects</source>
        <translation>合成效果</translation>
    </message>
    <message>
        <source>FX 1 (rain)</source>
        <translation>效果 1（雨声）</translation>
    </message>
    <message>
        <source>FX 2 (soundtrack)</source>
        <translation>效果 2（音轨）</translation>
    </message>
    <message>
        <source>FX 3 (crystal)</source>
        <translation>效果 3（水晶）</translation>
    </message>
    <message>
        <source>FX 4 (atmosphere)</source>
        <translation>效果 4（大气）</translation>
    </message>
    <message>
        <source>FX 5 (brightness)</source>
        <translation>效果 5（明亮）</translation>
    </message>
    <message>
        <source>FX 6 (goblins)</source>
        <translation>效果 6（鬼怪）</translation>
    </message>
    <message>
        <source>FX 7 (echoes)</source>
        <translation>效果 7（回声）</translation>
    </message>
    <message>
        <source>FX 8 (sci-fi)</source>
        <translation>效果 8（科幻）</translation>
    </message>
    <message>
        <source>Ethnic</source>
        <translation>民族乐器</translation>
    </message>
    <message>
        <source>Sitar</source>
        <translation>西塔琴</translation>
    </message>
    <message>
        <source>Banjo</source>
        <translation>班卓琴</translation>
    </message>
    <message>
        <source>Shamisen</source>
        <translation>三味线</translation>
    </message>
    <message>
        <source>Koto</source>
        <translation>筝</translation>
    </message>
    <message>
        <source>Kalimba</source>
        <translation>卡林巴</translation>
    </message>
    <message>
        <source>Bagpipe</source>
        <translation>风笛</translation>
    </message>
    <message>
        <source>Fiddle</source>
        <translation>民间提琴</translation>
    </message>
    <message>
        <source>Shanai</source>
        <translation>唢呐</translation>
    </message>
    <message>
        <source>Percussive</source>
        <translation>打击乐器</translation>
    </message>
    <message>
        <source>Tinkle Bell</source>
        <translation>叮当铃</translation>
    </message>
    <message>
        <source>Agogo</source>
        <translation>阿哥哥鼓</translation>
    </message>
    <message>
        <source>Steel Drums</source>
        <translation>钢鼓</translation>
    </message>
    <message>
        <source>Woodblock</source>
        <translation>木鱼</translation>
    </message>
    <message>
        <source>Taiko Drum</source>
        <translation>太鼓</translation>
    </message>
    <message>
        <source>Melodic Tom</source>
        <translation>旋律嗵鼓</translation>
    </message>
    <message>
        <source>Synth Drum</source>
        <translation>合成鼓</translation>
    </message>
    <message>
        <source>Reverse Cymbal</source>
        <translation>反向镲</translation>
    </message>
    <message>
        <source>Sound Effects</source>
        <translation>声音效果</translation>
    </message>
    <message>
        <source>Guitar Fret Noise</source>
        <translation>吉他换把声</translation>
    </message>
    <message>
        <source>Breath Noise</source>
        <translation>呼吸声</translation>
    </message>
    <message>
        <source>Seashore</source>
        <translation>海浪声</translation>
    </message>
    <message>
        <source>Bird Tweet</source>
        <translation>鸟鸣</translation>
    </message>
    <message>
        <source>Telephone Ring</source>
        <translation>电话铃声</translation>
    </message>
    <message>
        <source>Helicopter</source>
        <translation>直升机</translation>
    </message>
    <message>
        <source>Applause</source>
        <translation>掌声</translation>
    </message>
    <message>
        <source>Gunshot</source>
        <translation>枪声</translation>
    </message>
    <message>
        <source>Built-in synthesizer</source>
        <translation>内置合成器</translation>
    </message>
    <message>
        <source>&amp;Switch</source>
        <translation>开关(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Open	Alt+O</source>
        <translation>打开(&amp;O)	Alt+O</translation>
    </message>
    <message>
        <source>&amp;Close	Alt+C</source>
        <translation>关闭(&amp;C)	Alt+C</translation>
    </message>
    <message>
        <source>&amp;Instruments</source>
        <translation>乐器(&amp;I)</translation>
    </message>
    <message>
        <source>Major</source>
        <translation>大调</translation>
    </message>
    <message>
        <source>Minor</source>
        <translation>小调</translation>
    </message>
    <message>
        <source>&amp;Mode</source>
        <translation>调式(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;Record</source>
        <translation>录制(&amp;R)</translation>
    </message>
    <message>
        <source>Begin to &amp;Record</source>
        <translation>开始录制(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;End Recording</source>
        <translation>结束录制(&amp;E)</translation>
    </message>
    <message>
        <source>Begin to &amp;Play</source>
        <translation>开始播放(&amp;P)</translation>
    </message>
    <message>
        <source>Circ&amp;le Play</source>
        <translation>循环播放(&amp;L)</translation>
    </message>
    <message>
        <source>E&amp;nd Playing</source>
        <translation>结束播放(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>Save &amp;as</source>
        <translation>另存为(&amp;A)</translation>
    </message>
    <message>
        <source>E&amp;xport Midi file</source>
        <translation>导出 MIDI 文件(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Load *.tgi</source>
        <translation>载入 *.tgi(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Device</source>
        <translation>设备(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Track</source>
        <translation>音轨(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Function</source>
        <translation>功能(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Add bourdon automatism</source>
        <translation>自动加持续低音(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>关于(&amp;A)</translation>
    </message>
    <message>
        <source>TG</source>
        <translation>TG</translation>
    </message>
    <message>
        <source>Untitle</source>
        <translation>无标题</translation>
    </message>
    <message>
        <source>TGI Files(*.TGI)</source>
        <translation>TGI 文件(*.TGI)</translation>
    </message>
    <message>
        <source>Midi Files(*.MID)</source>
        <translation>MIDI 文件(*.MID)</translation>
    </message>
    <message>
        <source>No MIDI output devices!</source>
        <translation>没有 MIDI 输出设备！</translation>
    </message>
    <message>
        <source>Cannot open MIDI device</source>
        <translation>无法打开 MIDI 设备</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>内存分配错误.</source>
        <translation>内存分配错误.</translation>
    </message>
    <message>
        <source>Zazu</source>
        <translation>Zazu</translation>
    </message>
    <message>
        <source>Please Open Switch</source>
        <translation>请先打开开关</translation>
    </message>
    <message>
        <source>Do you save current change in %s?</source>
        <translation>是否保存对 %s 的修改？</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>音轨</translation>
    </message>
    <message>
        <source>1 Press Shift(Ctrl) to rise(fall) 8 musical scale when play music。 2 Please press Esc when Voice is out of the way</source>
        <translation>1 演奏时按住 Shift（Ctrl）可升高（降低）一个八度。 2 声音不对时请按 Esc 键</translation>
    </message>
    <message>
        <source>(c) 2026 Tangrel authors</source>
        <translation>(c) 2026 Tangrel 作者</translation>
    </message>
    <message>
        <source>Made for players.</source>
        <translation>为演奏者而作。</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>录制</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>播放</translation>
    </message>
    <message>
        <source>Circle play</source>
        <translation>循环播放</translation>
    </message>
    <message>
        <source>End Play</source>
        <translation>停止播放</translation>
    </message>
    <message>
        <source>Force</source>
        <translation>力度</translation>
    </message>
    <message>
        <source>Freq</source>
        <translation>音高</translation>
    </message>
    <message>
        <source>Tangrel Help</source>
        <translation>Tangrel 帮助</translation>
    </message>
    <message>
        <source>不能创建文件%s.</source>
        <translation>不能创建文件%s.</translation>
    </message>
    <message>
        <source>不能写入文件%s.</source>
        <translation>不能写入文件%s.</translation>
    </message>
    <message>
        <source>不能找到或打开文件%s.</source>
        <translation>不能找到或打开文件%s.</translation>
    </message>
    <message>
        <source>文件%s不是标准的Tangrel文件.</source>
        <translation>文件%s不是标准的Tangrel文件.</translation>
    </message>
    <message>
        <source>文件%s不是被支持的Tangrel文件.</source>
        <translation>文件%s不是被支持的Tangrel文件.</translation>
    </message>
    <message>
        <source>不能读取文件%s.</source>
        <translation>不能读取文件%s.</translation>
    </message>
    <message>
        <source>Recording: %1, notes: %2</source>
        <translation>正在录音：%1，音符：%2</translation>
    </message>
    <message>
        <source>Playing in a loop</source>
        <translation>正在循环播放</translation>
    </message>
    <message>
        <source>Playing once</source>
        <translation>正在播放一遍</translation>
    </message>
    <message>
        <source>Take not saved</source>
        <translation>录音未保存</translation>
    </message>
    <message>
        <source>Drum kit</source>
        <translation>鼓组</translation>
    </message>
    <message>
        <source>Key %1, degree %2, %3</source>
        <translation>按键 %1，音级 %2，%3</translation>
    </message>
    <message>
        <source>Velocity of the next notes</source>
        <translation>后面音符的力度</translation>
    </message>
    <message>
        <source>Pitch bend in semitones</source>
        <translation>弯音（半音）</translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation>磁盘已满。</translation>
    </message>
    <message>
        <source>The disk is read-only.</source>
        <translation>磁盘是只读的。</translation>
    </message>
    <message>
        <source>The folder does not exist.</source>
        <translation>文件夹不存在。</translation>
    </message>
    <message>
        <source>Permission denied.</source>
        <translation>没有权限。</translation>
    </message>
    <message>
        <source>The take cannot be written to its journal in %s. It is kept only in memory until you save it.</source>
        <translation>无法将演奏写入 %s 中的日志。在保存之前，它只保存在内存中。</translation>
    </message>
    <message>
        <source>The SoundFont %s changed on disk. The instruments already loaded play on; others stay silent until you close and open the Switch again.</source>
        <translation>音色库文件 %s 已在磁盘上被改动。已载入的乐器照常发声；其他乐器在关闭并重新打开开关之前不发声。</translation>
    </message>
    <message>
        <source>Sound output lost</source>
        <translation>声音输出已丢失</translation>
    </message>
    <message>
        <source>Sound output lost: %1</source>
        <translation>声音输出已丢失：%1</translation>
    </message>
    <message>
        <source>Licence: GNU GPL, version 3 or later</source>
        <translation>许可证：GNU GPL 第 3 版或更新版本</translation>
    </message>
    <message>
        <source>Standard Kit</source>
        <translation>标准鼓组</translation>
    </message>
    <message>
        <source>Room Kit</source>
        <translation>房间鼓组</translation>
    </message>
    <message>
        <source>Power Kit</source>
        <translation>强力鼓组</translation>
    </message>
    <message>
        <source>Electronic Kit</source>
        <translation>电子鼓组</translation>
    </message>
    <message>
        <source>TR-808 Kit</source>
        <translation>TR-808 鼓组</translation>
    </message>
    <message>
        <source>Jazz Kit</source>
        <translation>爵士鼓组</translation>
    </message>
    <message>
        <source>Brush Kit</source>
        <translation>鼓刷鼓组</translation>
    </message>
    <message>
        <source>Orchestra Kit</source>
        <translation>管弦乐鼓组</translation>
    </message>
    <message>
        <source>SFX Kit</source>
        <translation>音效鼓组</translation>
    </message>
    <message>
        <source>&amp;Help	F1</source>
        <translation>帮助(&amp;H)	F1</translation>
    </message>
    <message>
        <source>Takes left unsaved when the program last ended, newest first:
%s
Recover the first one? No deletes it; Cancel keeps them all for the next start.</source>
        <translation>程序上次结束时留下了未保存的演奏（最新的在前）：
%s
恢复第一个吗？选“否”删除它；选“取消”全部留到下次启动。</translation>
    </message>
    <message>
        <source>recorded at %s</source>
        <translation>录制于 %s</translation>
    </message>
    <message>
        <source>%s min %s s</source>
        <translation>%s 分 %s 秒</translation>
    </message>
    <message>
        <source>%s notes</source>
        <translation>%s 个音</translation>
    </message>
    <message>
        <source>These journals cannot be read as a take and were set aside:
%s</source>
        <translation>以下日志无法作为演奏读取，已被搁置：
%s</translation>
    </message>
    <message>
        <source>%s, now %s</source>
        <translation>%s，现名 %s</translation>
    </message>
    <message>
        <source>The take cannot be written to a journal: neither XDG_STATE_HOME nor HOME names a folder. It is kept only in memory until you save it.</source>
        <translation>无法将演奏写入日志：XDG_STATE_HOME 和 HOME 都没有指明文件夹。在保存之前，它只保存在内存中。</translation>
    </message>
    <message>
        <source>Recording: %1, notes: %2, in memory only</source>
        <translation>正在录音：%1，音符：%2，仅在内存中</translation>
    </message>
    <message>
        <source>Take not saved, in memory only</source>
        <translation>录音未保存，仅在内存中</translation>
    </message>
    <message>
        <source>Force: how hard the keys strike. Up and Down step it by 1, Page Up and Page Down by 8.</source>
        <translation>力度：击键有多重。Up 和 Down 每次改变 1，Page Up 和 Page Down 每次改变 8。</translation>
    </message>
    <message>
        <source>The SoundFont %s does not exist.</source>
        <translation>音色库 %s 不存在。</translation>
    </message>
    <message>
        <source>The SoundFont %s may not be read: permission denied.</source>
        <translation>无权读取音色库 %s。</translation>
    </message>
    <message>
        <source>The SoundFont %s is a folder, not a file.</source>
        <translation>音色库 %s 是一个文件夹，不是文件。</translation>
    </message>
    <message>
        <source>The file %s is not a SoundFont that can be read.</source>
        <translation>文件 %s 不是可以读取的音色库。</translation>
    </message>
    <message>
        <source>TANGREL_AUDIO_DRIVER names the sound output &quot;%s&quot;, which does not exist; the outputs are %s.</source>
        <translation>TANGREL_AUDIO_DRIVER 指定的声音输出“%s”不存在；可用的输出有 %s。</translation>
    </message>
    <message>
        <source>Sound output %s: the sound server did not answer.</source>
        <translation>声音输出 %s：声音服务器没有应答。</translation>
    </message>
    <message>
        <source>Sound output %s: no sound server is running.</source>
        <translation>声音输出 %s：没有正在运行的声音服务器。</translation>
    </message>
    <message>
        <source>Sound output %s: there is no sound card.</source>
        <translation>声音输出 %s：没有声卡。</translation>
    </message>
    <message>
        <source>Sound output %s did not start: %s</source>
        <translation>声音输出 %s 未能启动：%s</translation>
    </message>
    <message>
        <source>The MIDI port &quot;%s&quot; is no longer there.</source>
        <translation>MIDI 端口“%s”已不存在。</translation>
    </message>
    <message>
        <source>The MIDI port &quot;%s&quot; refused to open: %s</source>
        <translation>MIDI 端口“%s”拒绝打开：%s</translation>
    </message>
    <message>
        <source>Sound output lost: %1, the sound server does not answer</source>
        <translation>声音输出已丢失：%1，声音服务器没有应答</translation>
    </message>
    <message>
        <source>Sound output lost: %1, no sound server is running</source>
        <translation>声音输出已丢失：%1，没有正在运行的声音服务器</translation>
    </message>
</context>
</TS>
