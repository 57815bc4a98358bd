<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>yomi — Sort Fields</source>
        <translation>yomi — 排序字段</translation>
    </message>
    <message>
        <source>&amp;Field:</source>
        <translation>字段(&amp;F)：</translation>
    </message>
    <message>
        <source>The track field whose values are listed</source>
        <translation>要列出其值的曲目字段</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>艺人</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>专辑</translation>
    </message>
    <message>
        <source>Album Artist</source>
        <translation>专辑艺人</translation>
    </message>
    <message>
        <source>Composer</source>
        <translation>作曲者</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>节目</translation>
    </message>
    <message>
        <source>Scan the library for values of the chosen field</source>
        <translation>扫描资料库中所选字段的值</translation>
    </message>
    <message>
        <source>&amp;Load</source>
        <translation>载入(&amp;L)</translation>
    </message>
    <message>
        <source>Write the listed sort values into every matching track</source>
        <translation>将列表中的排序值写入所有匹配的曲目</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>Filter by value or sort value</source>
        <translation>按值或排序值筛选</translation>
    </message>
    <message>
        <source>Use each selected value itself as its sort value (Ctrl+D)</source>
        <translation>将所选的值直接用作排序值 (Ctrl+D)</translation>
    </message>
    <message>
        <source>&amp;Copy to Sort</source>
        <translation>复制到排序(&amp;C)</translation>
    </message>
    <message>
        <source>Set each selected sort value to the value in lower-case Latin letters (Ctrl+R)</source>
        <translation>将所选的值转为小写拉丁字母，用作排序值 (Ctrl+R)</translation>
    </message>
    <message>
        <source>&amp;Romaji</source>
        <translation>罗马字(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>编辑(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Open Library Folder…</source>
        <translation>打开资料库文件夹(&amp;O)…</translation>
    </message>
    <message>
        <source>Show &amp;Log</source>
        <translation>显示日志(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Copy Value to Sort Value</source>
        <translation>将值复制为排序值(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Romaji to Sort Value</source>
        <translation>以罗马字作为排序值(&amp;R)</translation>
    </message>
    <message>
        <source>1 value needs a reading</source>
        <translation>1 个值需要读音</translation>
    </message>
    <message>
        <source>%1 values need a reading</source>
        <translation>%1 个值需要读音</translation>
    </message>
    <message>
        <source>1 track</source>
        <translation>1 首曲目</translation>
    </message>
    <message>
        <source>%1 tracks</source>
        <translation>%1 首曲目</translation>
    </message>
    <message>
        <source>%1 (%2 in %3 s)</source>
        <translation>%1（%2，用时 %3 秒）</translation>
    </message>
    <message>
        <source>1 track written</source>
        <translation>已写入 1 首曲目</translation>
    </message>
    <message>
        <source>%1 tracks written</source>
        <translation>已写入 %1 首曲目</translation>
    </message>
    <message>
        <source>1 could not be written</source>
        <translation>1 首无法写入</translation>
    </message>
    <message>
        <source>%1 could not be written</source>
        <translation>%1 首无法写入</translation>
    </message>
    <message>
        <source>%1, %2 — see the log</source>
        <translation>%1，%2 — 请查看日志</translation>
    </message>
    <message>
        <source>%1 / %2 tracks</source>
        <translation>%1 / %2 首曲目</translation>
    </message>
    <message>
        <source>%1 — yomi</source>
        <translation>%1 — yomi</translation>
    </message>
    <message>
        <source>Open Library Folder</source>
        <translation>打开资料库文件夹</translation>
    </message>
    <message>
        <source>no such folder</source>
        <translation>文件夹不存在</translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation>无法读取该文件夹</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>Set each selected sort value to the Japanese reading of the value (Ctrl+J)</source>
        <translation>将所选的值的日语读音用作排序值 (Ctrl+J)</translation>
    </message>
    <message>
        <source>Readin&amp;g</source>
        <translation>读音(&amp;G)</translation>
    </message>
    <message>
        <source>How Reading writes the reading</source>
        <translation>读音的书写方式</translation>
    </message>
    <message>
        <source>Katakana</source>
        <translation>片假名</translation>
    </message>
    <message>
        <source>Hiragana</source>
        <translation>平假名</translation>
    </message>
    <message>
        <source>Romaji</source>
        <translation>罗马字</translation>
    </message>
    <message>
        <source>Japanese Readin&amp;g to Sort Value</source>
        <translation>日语读音作为排序值(&amp;G)</translation>
    </message>
    <message>
        <source>Ctrl+J</source>
        <translation>Ctrl+J</translation>
    </message>
    <message>
        <source>%1; your own readings are not used</source>
        <translation>%1；不使用您自己的读音</translation>
    </message>
    <message>
        <source>Japanese readings need a dictionary: %1</source>
        <translation>日语读音需要词典：%1</translation>
    </message>
    <message>
        <source>install the package mecab-ipadic-utf8</source>
        <translation>请安装软件包 mecab-ipadic-utf8</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>, …</source>
        <translation>、…</translation>
    </message>
    <message>
        <source>Re&amp;vert Last Save</source>
        <translation>撤销上次保存(&amp;V)</translation>
    </message>
    <message>
        <source>1 value</source>
        <translation>1 个值</translation>
    </message>
    <message>
        <source>%1 values</source>
        <translation>%1 个值</translation>
    </message>
    <message>
        <source>Nothing reverted: %1</source>
        <translation>未撤销任何内容：%1</translation>
    </message>
    <message>
        <source>Reverted Save %1: %2</source>
        <translation>已撤销保存 %1：%2</translation>
    </message>
    <message>
        <source>; %1 already as before</source>
        <translation>；%1 首已是原样</translation>
    </message>
    <message>
        <source>; %1 changed since, left alone</source>
        <translation>；%1 首之后被改动，未处理</translation>
    </message>
    <message>
        <source>; %1 failed</source>
        <translation>；%1 首失败</translation>
    </message>
    <message>
        <source>Save will write %1 for %2</source>
        <translation>保存将写入 %2 的 %1</translation>
    </message>
    <message>
        <source>Only readings to check</source>
        <translation>仅显示需核对的读音</translation>
    </message>
    <message>
        <source>%1; %2 to check</source>
        <translation>%1；需核对：%2</translation>
    </message>
    <message>
        <source>1 reading</source>
        <translation>1 个读音</translation>
    </message>
    <message>
        <source>%1 readings</source>
        <translation>%1 个读音</translation>
    </message>
    <message>
        <source>&amp;Reading</source>
        <translation>读音(&amp;R)</translation>
    </message>
    <message>
        <source>Read as &amp;Japanese</source>
        <translation>按日语读(&amp;J)</translation>
    </message>
    <message>
        <source>Read as &amp;Chinese</source>
        <translation>按中文读(&amp;C)</translation>
    </message>
    <message>
        <source>Read as &amp;Korean</source>
        <translation>按韩语读(&amp;K)</translation>
    </message>
    <message>
        <source>Set each selected sort value to its reading in this language</source>
        <translation>将所选的值设为该语言的读音</translation>
    </message>
    <message>
        <source>&amp;Undecided Values</source>
        <translation>无法判断语言的值(&amp;U)</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日语</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>C&amp;hinese Readings</source>
        <translation>中文读音(&amp;H)</translation>
    </message>
    <message>
        <source>Pinyin</source>
        <translation>拼音</translation>
    </message>
    <message>
        <source>Zhuyin (Bopomofo)</source>
        <translation>注音符号</translation>
    </message>
    <message>
        <source>K&amp;orean Readings</source>
        <translation>韩语读音(&amp;O)</translation>
    </message>
    <message>
        <source>Hangul as Written</source>
        <translation>保留韩文</translation>
    </message>
    <message>
        <source>Latin Letters</source>
        <translation>拉丁字母</translation>
    </message>
    <message>
        <source>Set each selected sort value to the reading of the value in its language (Ctrl+J)</source>
        <translation>将所选的值设为其语言的读音 (Ctrl+J)</translation>
    </message>
    <message>
        <source>1 value has no reading: %1</source>
        <translation>没有读音的值: 1 个 (%1)</translation>
    </message>
    <message>
        <source>%1 values have no reading: %2</source>
        <translation>没有读音的值: %1 个 (%2)</translation>
    </message>
    <message>
        <source>Library &amp;Report</source>
        <translation>曲库报告(&amp;R)</translation>
    </message>
    <message>
        <source>Library Report</source>
        <translation>曲库报告</translation>
    </message>
    <message>
        <source>All person fields</source>
        <translation>所有人名字段</translation>
    </message>
    <message>
        <source>Artist, album artist and composer: each name listed once, and Save writes its sort value into all three</source>
        <translation>艺人、专辑艺人和作曲者：每个名字列出一次，保存时把排序值写入这三个字段</translation>
    </message>
</context>
<context>
    <name>PairListModel</name>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>Sort Value</source>
        <translation>排序值</translation>
    </message>
    <message>
        <source>Tracks</source>
        <translation>曲目数</translation>
    </message>
    <message>
        <source>Sure: %1</source>
        <translation>确定：%1</translation>
    </message>
    <message>
        <source>Likely: %1</source>
        <translation>较可靠：%1</translation>
    </message>
    <message>
        <source>Check: %1</source>
        <translation>需核对：%1</translation>
    </message>
    <message>
        <source>chosen by you</source>
        <translation>由你选择</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日语</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>Korean</source>
        <translation>韩语</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>The tracks hold %1 sort values:</source>
        <translation>曲目含有 %1 种排序值：</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>1 track</source>
        <translation>1 首曲目</translation>
    </message>
    <message>
        <source>%1 tracks</source>
        <translation>%1 首曲目</translation>
    </message>
</context>
</TS>
