<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW">
<context>
    <name>MainWindow</name>
    <message>
        <source>yomi — Sort Fields</source>
        <translation>yomi — 排序欄位</translation>
    </message>
    <message>
        <source>&amp;Field:</source>
        <translation>欄位(&amp;F)：</translation>
    </message>
    <message>
        <source>The track field whose values are listed</source>
        <translation>要列出其值的曲目欄位</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>演出者</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>專輯</translation>
    </message>
    <message>
        <source>Album Artist</source>
        <translation>專輯演出者</translation>
    </message>
    <message>
        <source>Composer</source>
        <translation>作曲者</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名稱</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>節目</translation>
    </message>
    <message>
        <source>Scan the library for values of the chosen field</source>
        <translation>掃描資料庫中所選欄位的值</translation>
    </message>
    <message>
        <source>&amp;Load</source>
        <translation>載入(&amp;L)</translation>
    </message>
    <message>
        <source>Write the listed sort values into every matching track</source>
        <translation>將列表中的排序值寫入所有相符的曲目</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>儲存(&amp;S)</translation>
    </message>
    <message>
        <source>Filter by value or sort value</source>
        <translation>依值或排序值篩選</translation>
    </message>
    <message>
        <source>Use each selected value itself as its sort value (Ctrl+D)</source>
        <translation>將所選的值直接作為排序值 (Ctrl+D)</translation>
    </message>
    <message>
        <source>&amp;Copy to Sort</source>
        <translation>複製到排序(&amp;C)</translation>
    </message>
    <message>
        <source>Set each selected sort value to the value in lower-case Latin letters (Ctrl+R)</source>
        <translation>將所選的值轉為小寫拉丁字母，作為排序值 (Ctrl+R)</translation>
    </message>
    <message>
        <source>&amp;Romaji</source>
        <translation>羅馬字(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>檔案(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編輯(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>說明(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Open Library Folder…</source>
        <translation>開啟資料庫檔案夾(&amp;O)…</translation>
    </message>
    <message>
        <source>Show &amp;Log</source>
        <translation>顯示記錄(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>結束(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Copy Value to Sort Value</source>
        <translation>將值複製為排序值(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Romaji to Sort Value</source>
        <translation>以羅馬字作為排序值(&amp;R)</translation>
    </message>
    <message>
        <source>1 value needs a reading</source>
        <translation>1 個值需要讀音</translation>
    </message>
    <message>
        <source>%1 values need a reading</source>
        <translation>%1 個值需要讀音</translation>
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
        <translation>%1（%2，耗時 %3 秒）</translation>
    </message>
    <message>
        <source>1 track written</source>
        <translation>已寫入 1 首曲目</translation>
    </message>
    <message>
        <source>%1 tracks written</source>
        <translation>已寫入 %1 首曲目</translation>
    </message>
    <message>
        <source>1 could not be written</source>
        <translation>1 首無法寫入</translation>
    </message>
    <message>
        <source>%1 could not be written</source>
        <translation>%1 首無法寫入</translation>
    </message>
    <message>
        <source>%1, %2 — see the log</source>
        <translation>%1，%2 — 請查看記錄</translation>
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
        <translation>開啟資料庫檔案夾</translation>
    </message>
    <message>
        <source>no such folder</source>
        <translation>檔案夾不存在</translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation>無法讀取該檔案夾</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>無法開啟 %1：%2</translation>
    </message>
    <message>
        <source>Set each selected sort value to the Japanese reading of the value (Ctrl+J)</source>
        <translation>將所選的值的日語讀音作為排序值 (Ctrl+J)</translation>
    </message>
    <message>
        <source>Readin&amp;g</source>
        <translation>讀音(&amp;G)</translation>
    </message>
    <message>
        <source>How Reading writes the reading</source>
        <translation>讀音的書寫方式</translation>
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
        <translation>羅馬字</translation>
    </message>
    <message>
        <source>Japanese Readin&amp;g to Sort Value</source>
        <translation>日語讀音作為排序值(&amp;G)</translation>
    </message>
    <message>
        <source>Ctrl+J</source>
        <translation>Ctrl+J</translation>
    </message>
    <message>
        <source>%1; your own readings are not used</source>
        <translation>%1；不使用您自己的讀音</translation>
    </message>
    <message>
        <source>Japanese readings need a dictionary: %1</source>
        <translation>日語讀音需要詞典：%1</translation>
    </message>
    <message>
        <source>install the package mecab-ipadic-utf8</source>
        <translation>請安裝套件 mecab-ipadic-utf8</translation>
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
        <translation>復原上次儲存(&amp;V)</translation>
    </message>
    <message>
        <source>1 value</source>
        <translation>1 個值</translation>
    </message>
    <message>
        <source>%1 values</source>
        <translation>%1 個值</translation>
    </message>
    <message>
        <source>Nothing reverted: %1</source>
        <translation>未復原任何內容：%1</translation>
    </message>
    <message>
        <source>Reverted Save %1: %2</source>
        <translation>已復原儲存 %1：%2</translation>
    </message>
    <message>
        <source>; %1 already as before</source>
        <translation>；%1 首已是原樣</translation>
    </message>
    <message>
        <source>; %1 changed since, left alone</source>
        <translation>；%1 首之後被改動，未處理</translation>
    </message>
    <message>
        <source>; %1 failed</source>
        <translation>；%1 首失敗</translation>
    </message>
    <message>
        <source>Save will write %1 for %2</source>
        <translation>儲存將寫入 %2 的 %1</translation>
    </message>
    <message>
        <source>Only readings to check</source>
        <translation>僅顯示需核對的讀音</translation>
    </message>
    <message>
        <source>%1; %2 to check</source>
        <translation>%1；需核對：%2</translation>
    </message>
    <message>
        <source>1 reading</source>
        <translation>1 個讀音</translation>
    </message>
    <message>
        <source>%1 readings</source>
        <translation>%1 個讀音</translation>
    </message>
    <message>
        <source>&amp;Reading</source>
        <translation>讀音(&amp;R)</translation>
    </message>
    <message>
        <source>Read as &amp;Japanese</source>
        <translation>按日語讀(&amp;J)</translation>
    </message>
    <message>
        <source>Read as &amp;Chinese</source>
        <translation>按中文讀(&amp;C)</translation>
    </message>
    <message>
        <source>Read as &amp;Korean</source>
        <translation>按韓語讀(&amp;K)</translation>
    </message>
    <message>
        <source>Set each selected sort value to its reading in this language</source>
        <translation>將所選的值設為該語言的讀音</translation>
    </message>
    <message>
        <source>&amp;Undecided Values</source>
        <translation>無法判斷語言的值(&amp;U)</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日語</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>C&amp;hinese Readings</source>
        <translation>中文讀音(&amp;H)</translation>
    </message>
    <message>
        <source>Pinyin</source>
        <translation>拼音</translation>
    </message>
    <message>
        <source>Zhuyin (Bopomofo)</source>
        <translation>注音符號</translation>
    </message>
    <message>
        <source>K&amp;orean Readings</source>
        <translation>韓語讀音(&amp;O)</translation>
    </message>
    <message>
        <source>Hangul as Written</source>
        <translation>保留韓文</translation>
    </message>
    <message>
        <source>Latin Letters</source>
        <translation>拉丁字母</translation>
    </message>
    <message>
        <source>Set each selected sort value to the reading of the value in its language (Ctrl+J)</source>
        <translation>將所選的值設為其語言的讀音 (Ctrl+J)</translation>
    </message>
    <message>
        <source>1 value has no reading: %1</source>
        <translation>沒有讀音的值: 1 個 (%1)</translation>
    </message>
    <message>
        <source>%1 values have no reading: %2</source>
        <translation>沒有讀音的值: %1 個 (%2)</translation>
    </message>
    <message>
        <source>Library &amp;Report</source>
        <translation>曲庫報告(&amp;R)</translation>
    </message>
    <message>
        <source>Library Report</source>
        <translation>曲庫報告</translation>
    </message>
    <message>
        <source>All person fields</source>
        <translation>所有人名欄位</translation>
    </message>
    <message>
        <source>Artist, album artist and composer: each name listed once, and Save writes its sort value into all three</source>
        <translation>藝人、專輯藝人和作曲者：每個名字列出一次，儲存時把排序值寫入這三個欄位</translation>
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
        <translation>曲目數</translation>
    </message>
    <message>
        <source>Sure: %1</source>
        <translation>確定：%1</translation>
    </message>
    <message>
        <source>Likely: %1</source>
        <translation>較可靠：%1</translation>
    </message>
    <message>
        <source>Check: %1</source>
        <translation>需核對：%1</translation>
    </message>
    <message>
        <source>chosen by you</source>
        <translation>由你選擇</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日語</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>Korean</source>
        <translation>韓語</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>語言</translation>
    </message>
    <message>
        <source>The tracks hold %1 sort values:</source>
        <translation>曲目含有 %1 種排序值：</translation>
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
