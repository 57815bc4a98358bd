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
        <translation>没有读音的值：1 个（%1）</translation>
    </message>
    <message>
        <source>%1 values have no reading: %2</source>
        <translation>没有读音的值：%1 个（%2）</translation>
    </message>
    <message>
        <source>Set each selected sort value to the value written character by character in lower-case Latin letters, Han characters as pinyin (Ctrl+R); for Japanese romaji, use Reading with the style Romaji</source>
        <translation>将所选值逐字转写为小写拉丁字母作为排序值，汉字转为拼音 (Ctrl+R)；日语罗马字请用“读音”并选择“罗马字”写法</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Stop the Load and keep the list as it was</source>
        <translation>停止载入，列表保持原样</translation>
    </message>
    <message>
        <source>Choose a field and press Load to list its values that need a sort value.</source>
        <translation>选择字段并按“载入”，列出需要排序值的值。</translation>
    </message>
    <message>
        <source>Cannot read the library folder %1: %2</source>
        <translation>无法读取资料库文件夹 %1：%2</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>权限不足</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>载入</translation>
    </message>
    <message>
        <source>Load cancelled: the list is as it was</source>
        <translation>已取消载入：列表保持原样</translation>
    </message>
    <message>
        <source>1 row</source>
        <translation>1 行</translation>
    </message>
    <message>
        <source>%1 rows</source>
        <translation>%1 行</translation>
    </message>
    <message>
        <source>%1 of %2 rows shown</source>
        <translation>显示 %1 / %2 行</translation>
    </message>
    <message>
        <source>1 file could not be read</source>
        <translation>1 个文件无法读取</translation>
    </message>
    <message>
        <source>%1 files could not be read</source>
        <translation>%1 个文件无法读取</translation>
    </message>
    <message>
        <source>1 warning</source>
        <translation>1 条警告</translation>
    </message>
    <message>
        <source>%1 warnings</source>
        <translation>%1 条警告</translation>
    </message>
    <message>
        <source>%1 — show</source>
        <translation>%1 — 显示</translation>
    </message>
    <message>
        <source>Nothing written: Save cancelled</source>
        <translation>未写入任何内容：已取消保存</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation>%1；%2</translation>
    </message>
    <message>
        <source>Nothing selected: select the rows to change first</source>
        <translation>未选择任何行：请先选择要更改的行</translation>
    </message>
    <message>
        <source>1 row changed</source>
        <translation>已更改 1 行</translation>
    </message>
    <message>
        <source>%1 rows changed</source>
        <translation>已更改 %1 行</translation>
    </message>
    <message>
        <source>; %1 kept their sort value (Only empty)</source>
        <translation>；%1 行保留了排序值（仅空值）</translation>
    </message>
    <message>
        <source>Remo&amp;ve Sort Value</source>
        <translation>删除排序值(&amp;V)</translation>
    </message>
    <message>
        <source>Remove the sort value of each selected row from its tracks on Save</source>
        <translation>保存时从所选行的曲目中删除其排序值</translation>
    </message>
    <message>
        <source>Re&amp;do Revert</source>
        <translation>重做还原(&amp;D)</translation>
    </message>
    <message>
        <source>Write again what the last revert took back</source>
        <translation>重新写入上次还原所撤销的内容</translation>
    </message>
    <message>
        <source>&amp;Ask Before Saving</source>
        <translation>保存前询问(&amp;A)</translation>
    </message>
    <message>
        <source>Only &amp;empty</source>
        <translation>仅空值(&amp;E)</translation>
    </message>
    <message>
        <source>Copy to Sort, Romaji and Reading leave rows that have a sort value alone</source>
        <translation>“复制到排序”“罗马字”和“读音”不更改已有排序值的行</translation>
    </message>
    <message>
        <source>&amp;About yomi</source>
        <translation>关于 yomi(&amp;A)</translation>
    </message>
    <message>
        <source>About yomi</source>
        <translation>关于 yomi</translation>
    </message>
    <message>
        <source>%1: remove the sort value</source>
        <translation>%1：删除排序值</translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>Unsaved Sort Values</source>
        <translation>未保存的排序值</translation>
    </message>
    <message>
        <source>Some sort values are not saved yet. Save them first?</source>
        <translation>有排序值尚未保存。要先保存吗？</translation>
    </message>
    <message>
        <source>Cancelled: the edits are still here</source>
        <translation>已取消：编辑内容仍保留</translation>
    </message>
    <message>
        <source>%1: remove the sort value (%2)</source>
        <translation>%1：删除排序值（%2）</translation>
    </message>
    <message>
        <source>%1 → %2 (%3)</source>
        <translation>%1 → %2（%3）</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save will write %1, one file each, for %2. Write them now?</source>
        <translation>保存将为 %2 写入 %1（每首曲目一个文件）。现在写入吗？</translation>
    </message>
    <message>
        <source>Nothing to write: every track has its listed sort value</source>
        <translation>无需写入：每首曲目都已有列出的排序值</translation>
    </message>
    <message>
        <source>Redo Revert</source>
        <translation>重做还原</translation>
    </message>
    <message>
        <source>Revert Last Save</source>
        <translation>还原上次保存</translation>
    </message>
    <message>
        <source>Write again the %1 that the last revert took back?</source>
        <translation>重新写入上次还原所撤销的 %1 吗？</translation>
    </message>
    <message>
        <source>Take back Save %1: rewrite %2 with the sort values they had before?</source>
        <translation>还原保存 %1：将 %2 改回之前的排序值吗？</translation>
    </message>
    <message>
        <source>Nothing reverted: cancelled</source>
        <translation>未还原任何内容：已取消</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>日志</translation>
    </message>
    <message>
        <source>No log viewer could be started. The last lines yomi wrote to the log:</source>
        <translation>无法启动日志查看器。yomi 最近写入日志的内容：</translation>
    </message>
    <message>
        <source>Not Read</source>
        <translation>未能读取</translation>
    </message>
    <message>
        <source>These could not be read by the last Load:</source>
        <translation>上次载入时无法读取以下内容：</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;yomi&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;Fills in the sort fields of music tracks whose values are written in Han characters or other scripts outside kana and Latin letters, so that they sort by their reading.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Load&lt;/b&gt; lists the values of the chosen field; &lt;b&gt;Reading&lt;/b&gt; sets the sort value to the value&apos;s reading in its language (for Japanese romaji, choose the style Romaji); &lt;b&gt;Romaji&lt;/b&gt; writes each character in Latin letters (Han characters as pinyin); &lt;b&gt;Copy to Sort&lt;/b&gt; uses the value itself. &lt;b&gt;Save&lt;/b&gt; writes the sort values into the files, each write checked on the bytes and undoable with Edit → Revert Last Save.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;yomi&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;为以汉字等假名和拉丁字母以外的文字书写的音乐曲目填写排序字段，使其按读音排序。&lt;/p&gt;&lt;p&gt;&lt;b&gt;载入&lt;/b&gt;列出所选字段的值；&lt;b&gt;读音&lt;/b&gt;将排序值设为该值在其语言中的读音（日语罗马字请选择“罗马字”写法）；&lt;b&gt;罗马字&lt;/b&gt;将每个字符写成拉丁字母（汉字为拼音）；&lt;b&gt;复制到排序&lt;/b&gt;使用值本身。&lt;b&gt;保存&lt;/b&gt;将排序值写入文件，每次写入都在字节上核对，并可用 编辑 → 还原上次保存 撤销。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>An empty cell changes nothing: to remove a sort value, use Edit → Remove Sort Value</source>
        <translation>空单元格不会更改任何内容：要删除排序值，请使用 编辑 → 删除排序值</translation>
    </message>
    <message>
        <source>Library &amp;Report</source>
        <translation>资料库报告(&amp;R)</translation>
    </message>
    <message>
        <source>Library Report</source>
        <translation>资料库报告</translation>
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
    <message>
        <source>The last Save could not write %1: see the log</source>
        <translation>上次保存未能写入 %1：请查看日志</translation>
    </message>
    <message>
        <source>Save will remove the sort value from %1 of %2</source>
        <translation>保存将从 %2 中的 %1 删除排序值</translation>
    </message>
    <message>
        <source>Save will write %1 of %2</source>
        <translation>保存将写入 %2 中的 %1</translation>
    </message>
    <message>
        <source>%1 (%2 to write)</source>
        <translation>%1（待写入 %2）</translation>
    </message>
</context>
</TS>
