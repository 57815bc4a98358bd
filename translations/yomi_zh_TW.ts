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
        <translation>沒有讀音的值：1 個（%1）</translation>
    </message>
    <message>
        <source>%1 values have no reading: %2</source>
        <translation>沒有讀音的值：%1 個（%2）</translation>
    </message>
    <message>
        <source>Set each selected sort value to the value written character by character in lower-case Latin letters, Han characters as pinyin (Ctrl+R); for Japanese romaji, use Reading with the style Romaji</source>
        <translation>將所選值逐字轉寫為小寫拉丁字母作為排序值，漢字轉為拼音 (Ctrl+R)；日語羅馬字請用「讀音」並選擇「羅馬字」寫法</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Stop the Load and keep the list as it was</source>
        <translation>停止載入，清單保持原樣</translation>
    </message>
    <message>
        <source>Choose a field and press Load to list its values that need a sort value.</source>
        <translation>選擇欄位並按「載入」，列出需要排序值的值。</translation>
    </message>
    <message>
        <source>Cannot read the library folder %1: %2</source>
        <translation>無法讀取資料庫資料夾 %1：%2</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>權限不足</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>載入</translation>
    </message>
    <message>
        <source>Load cancelled: the list is as it was</source>
        <translation>已取消載入：清單保持原樣</translation>
    </message>
    <message>
        <source>1 row</source>
        <translation>1 列</translation>
    </message>
    <message>
        <source>%1 rows</source>
        <translation>%1 列</translation>
    </message>
    <message>
        <source>%1 of %2 rows shown</source>
        <translation>顯示 %1 / %2 列</translation>
    </message>
    <message>
        <source>1 file could not be read</source>
        <translation>1 個檔案無法讀取</translation>
    </message>
    <message>
        <source>%1 files could not be read</source>
        <translation>%1 個檔案無法讀取</translation>
    </message>
    <message>
        <source>1 warning</source>
        <translation>1 則警告</translation>
    </message>
    <message>
        <source>%1 warnings</source>
        <translation>%1 則警告</translation>
    </message>
    <message>
        <source>%1 — show</source>
        <translation>%1 — 顯示</translation>
    </message>
    <message>
        <source>Nothing written: Save cancelled</source>
        <translation>未寫入任何內容：已取消儲存</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation>%1；%2</translation>
    </message>
    <message>
        <source>Nothing selected: select the rows to change first</source>
        <translation>未選擇任何列：請先選擇要變更的列</translation>
    </message>
    <message>
        <source>1 row changed</source>
        <translation>已變更 1 列</translation>
    </message>
    <message>
        <source>%1 rows changed</source>
        <translation>已變更 %1 列</translation>
    </message>
    <message>
        <source>; %1 kept their sort value (Only empty)</source>
        <translation>；%1 列保留了排序值（僅空值）</translation>
    </message>
    <message>
        <source>Remo&amp;ve Sort Value</source>
        <translation>刪除排序值(&amp;V)</translation>
    </message>
    <message>
        <source>Remove the sort value of each selected row from its tracks on Save</source>
        <translation>儲存時從所選列的曲目中刪除其排序值</translation>
    </message>
    <message>
        <source>Re&amp;do Revert</source>
        <translation>重做還原(&amp;D)</translation>
    </message>
    <message>
        <source>Write again what the last revert took back</source>
        <translation>重新寫入上次還原所撤銷的內容</translation>
    </message>
    <message>
        <source>&amp;Ask Before Saving</source>
        <translation>儲存前詢問(&amp;A)</translation>
    </message>
    <message>
        <source>Only &amp;empty</source>
        <translation>僅空值(&amp;E)</translation>
    </message>
    <message>
        <source>Copy to Sort, Romaji and Reading leave rows that have a sort value alone</source>
        <translation>「複製到排序」「羅馬字」和「讀音」不變更已有排序值的列</translation>
    </message>
    <message>
        <source>&amp;About yomi</source>
        <translation>關於 yomi(&amp;A)</translation>
    </message>
    <message>
        <source>About yomi</source>
        <translation>關於 yomi</translation>
    </message>
    <message>
        <source>%1: remove the sort value</source>
        <translation>%1：刪除排序值</translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>Unsaved Sort Values</source>
        <translation>未儲存的排序值</translation>
    </message>
    <message>
        <source>Some sort values are not saved yet. Save them first?</source>
        <translation>有排序值尚未儲存。要先儲存嗎？</translation>
    </message>
    <message>
        <source>Cancelled: the edits are still here</source>
        <translation>已取消：編輯內容仍保留</translation>
    </message>
    <message>
        <source>%1: remove the sort value (%2)</source>
        <translation>%1：刪除排序值（%2）</translation>
    </message>
    <message>
        <source>%1 → %2 (%3)</source>
        <translation>%1 → %2（%3）</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>Save will write %1, one file each, for %2. Write them now?</source>
        <translation>儲存將為 %2 寫入 %1（每首曲目一個檔案）。現在寫入嗎？</translation>
    </message>
    <message>
        <source>Nothing to write: every track has its listed sort value</source>
        <translation>無需寫入：每首曲目都已有列出的排序值</translation>
    </message>
    <message>
        <source>Redo Revert</source>
        <translation>重做還原</translation>
    </message>
    <message>
        <source>Revert Last Save</source>
        <translation>還原上次儲存</translation>
    </message>
    <message>
        <source>Write again the %1 that the last revert took back?</source>
        <translation>重新寫入上次還原所撤銷的 %1 嗎？</translation>
    </message>
    <message>
        <source>Take back Save %1: rewrite %2 with the sort values they had before?</source>
        <translation>還原儲存 %1：將 %2 改回之前的排序值嗎？</translation>
    </message>
    <message>
        <source>Nothing reverted: cancelled</source>
        <translation>未還原任何內容：已取消</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>記錄</translation>
    </message>
    <message>
        <source>No log viewer could be started. The last lines yomi wrote to the log:</source>
        <translation>無法啟動記錄檢視器。yomi 最近寫入記錄的內容：</translation>
    </message>
    <message>
        <source>Not Read</source>
        <translation>未能讀取</translation>
    </message>
    <message>
        <source>These could not be read by the last Load:</source>
        <translation>上次載入時無法讀取以下內容：</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;yomi&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;Fills in the sort fields of music tracks whose values are written in Han characters or other scripts outside kana and Latin letters, so that they sort by their reading.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Load&lt;/b&gt; lists the values of the chosen field; &lt;b&gt;Reading&lt;/b&gt; sets the sort value to the value&apos;s reading in its language (for Japanese romaji, choose the style Romaji); &lt;b&gt;Romaji&lt;/b&gt; writes each character in Latin letters (Han characters as pinyin); &lt;b&gt;Copy to Sort&lt;/b&gt; uses the value itself. &lt;b&gt;Save&lt;/b&gt; writes the sort values into the files, each write checked on the bytes and undoable with Edit → Revert Last Save.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;yomi&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;為以漢字等假名和拉丁字母以外的文字書寫的音樂曲目填寫排序欄位，使其按讀音排序。&lt;/p&gt;&lt;p&gt;&lt;b&gt;載入&lt;/b&gt;列出所選欄位的值；&lt;b&gt;讀音&lt;/b&gt;將排序值設為該值在其語言中的讀音（日語羅馬字請選擇「羅馬字」寫法）；&lt;b&gt;羅馬字&lt;/b&gt;將每個字元寫成拉丁字母（漢字為拼音）；&lt;b&gt;複製到排序&lt;/b&gt;使用值本身。&lt;b&gt;儲存&lt;/b&gt;將排序值寫入檔案，每次寫入都在位元組上核對，並可用 編輯 → 還原上次儲存 撤銷。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>An empty cell changes nothing: to remove a sort value, use Edit → Remove Sort Value</source>
        <translation>空儲存格不會變更任何內容：要刪除排序值，請使用 編輯 → 刪除排序值</translation>
    </message>
    <message>
        <source>Library &amp;Report</source>
        <translation>資料庫報告(&amp;R)</translation>
    </message>
    <message>
        <source>Library Report</source>
        <translation>資料庫報告</translation>
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
    <message>
        <source>The last Save could not write %1: see the log</source>
        <translation>上次儲存未能寫入 %1：請查看記錄</translation>
    </message>
    <message>
        <source>Save will remove the sort value from %1 of %2</source>
        <translation>儲存將從 %2 中的 %1 刪除排序值</translation>
    </message>
    <message>
        <source>Save will write %1 of %2</source>
        <translation>儲存將寫入 %2 中的 %1</translation>
    </message>
    <message>
        <source>%1 (%2 to write)</source>
        <translation>%1（待寫入 %2）</translation>
    </message>
</context>
</TS>
