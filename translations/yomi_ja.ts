<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>MainWindow</name>
    <message>
        <source>yomi — Sort Fields</source>
        <translation>yomi — 並べ替え用フィールド</translation>
    </message>
    <message>
        <source>&amp;Field:</source>
        <translation>項目(&amp;F):</translation>
    </message>
    <message>
        <source>The track field whose values are listed</source>
        <translation>一覧にするトラックの項目</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>アーティスト</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>アルバム</translation>
    </message>
    <message>
        <source>Album Artist</source>
        <translation>アルバムアーティスト</translation>
    </message>
    <message>
        <source>Composer</source>
        <translation>作曲者</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>番組</translation>
    </message>
    <message>
        <source>Scan the library for values of the chosen field</source>
        <translation>選んだ項目の値をライブラリからスキャンします</translation>
    </message>
    <message>
        <source>&amp;Load</source>
        <translation>スキャン(&amp;L)</translation>
    </message>
    <message>
        <source>Write the listed sort values into every matching track</source>
        <translation>一覧のソート値を、値が一致するすべてのトラックに書き込みます</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>Filter by value or sort value</source>
        <translation>値またはソート値で絞り込み</translation>
    </message>
    <message>
        <source>Use each selected value itself as its sort value (Ctrl+D)</source>
        <translation>選んだ値をそのままソート値にします (Ctrl+D)</translation>
    </message>
    <message>
        <source>&amp;Copy to Sort</source>
        <translation>ソート値にコピー(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Romaji</source>
        <translation>ローマ字(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Open Library Folder…</source>
        <translation>ライブラリのフォルダを開く(&amp;O)…</translation>
    </message>
    <message>
        <source>Show &amp;Log</source>
        <translation>ログを表示(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>終了(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Copy Value to Sort Value</source>
        <translation>値をソート値にコピー(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Romaji to Sort Value</source>
        <translation>ローマ字をソート値に(&amp;R)</translation>
    </message>
    <message>
        <source>1 value needs a reading</source>
        <translation>読みが必要な値: 1 件</translation>
    </message>
    <message>
        <source>%1 values need a reading</source>
        <translation>読みが必要な値: %1 件</translation>
    </message>
    <message>
        <source>1 track</source>
        <translation>1 曲</translation>
    </message>
    <message>
        <source>%1 tracks</source>
        <translation>%1 曲</translation>
    </message>
    <message>
        <source>%1 (%2 in %3 s)</source>
        <translation>%1（%2、%3 秒）</translation>
    </message>
    <message>
        <source>1 track written</source>
        <translation>1 曲を書き込みました</translation>
    </message>
    <message>
        <source>%1 tracks written</source>
        <translation>%1 曲を書き込みました</translation>
    </message>
    <message>
        <source>1 could not be written</source>
        <translation>1 曲は書き込めませんでした</translation>
    </message>
    <message>
        <source>%1 could not be written</source>
        <translation>%1 曲は書き込めませんでした</translation>
    </message>
    <message>
        <source>%1, %2 — see the log</source>
        <translation>%1。%2 — ログを確認してください</translation>
    </message>
    <message>
        <source>%1 / %2 tracks</source>
        <translation>%1 / %2 曲</translation>
    </message>
    <message>
        <source>%1 — yomi</source>
        <translation>%1 — yomi</translation>
    </message>
    <message>
        <source>Open Library Folder</source>
        <translation>ライブラリのフォルダを開く</translation>
    </message>
    <message>
        <source>no such folder</source>
        <translation>フォルダがありません</translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation>フォルダを読み取れません</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 を開けません: %2</translation>
    </message>
    <message>
        <source>Set each selected sort value to the Japanese reading of the value (Ctrl+J)</source>
        <translation>選んだ値の日本語の読みをソート値にします (Ctrl+J)</translation>
    </message>
    <message>
        <source>Readin&amp;g</source>
        <translation>読み(&amp;G)</translation>
    </message>
    <message>
        <source>How Reading writes the reading</source>
        <translation>読みの書き方</translation>
    </message>
    <message>
        <source>Katakana</source>
        <translation>カタカナ</translation>
    </message>
    <message>
        <source>Hiragana</source>
        <translation>ひらがな</translation>
    </message>
    <message>
        <source>Romaji</source>
        <translation>ローマ字</translation>
    </message>
    <message>
        <source>Japanese Readin&amp;g to Sort Value</source>
        <translation>日本語の読みをソート値に(&amp;G)</translation>
    </message>
    <message>
        <source>Ctrl+J</source>
        <translation>Ctrl+J</translation>
    </message>
    <message>
        <source>%1; your own readings are not used</source>
        <translation>%1。ご自分の読みは使われません</translation>
    </message>
    <message>
        <source>Japanese readings need a dictionary: %1</source>
        <translation>日本語の読みには辞書が要ります: %1</translation>
    </message>
    <message>
        <source>install the package mecab-ipadic-utf8</source>
        <translation>パッケージ mecab-ipadic-utf8 を入れてください</translation>
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
        <translation>前回の保存を取り消す(&amp;V)</translation>
    </message>
    <message>
        <source>1 value</source>
        <translation>1 件の値</translation>
    </message>
    <message>
        <source>%1 values</source>
        <translation>%1 件の値</translation>
    </message>
    <message>
        <source>Nothing reverted: %1</source>
        <translation>取り消したものはありません: %1</translation>
    </message>
    <message>
        <source>Reverted Save %1: %2</source>
        <translation>保存 %1 を取り消しました: %2</translation>
    </message>
    <message>
        <source>; %1 already as before</source>
        <translation>、%1 曲は元のまま</translation>
    </message>
    <message>
        <source>; %1 changed since, left alone</source>
        <translation>、%1 曲はその後変更されたためそのまま</translation>
    </message>
    <message>
        <source>; %1 failed</source>
        <translation>、%1 曲は失敗</translation>
    </message>
    <message>
        <source>Save will write %1 for %2</source>
        <translation>保存すると %2 の %1 に書き込みます</translation>
    </message>
    <message>
        <source>Only readings to check</source>
        <translation>確認が要る読みだけ</translation>
    </message>
    <message>
        <source>%1; %2 to check</source>
        <translation>%1、確認が要る読み: %2</translation>
    </message>
    <message>
        <source>1 reading</source>
        <translation>1 件</translation>
    </message>
    <message>
        <source>%1 readings</source>
        <translation>%1 件</translation>
    </message>
    <message>
        <source>&amp;Reading</source>
        <translation>読み(&amp;R)</translation>
    </message>
    <message>
        <source>Read as &amp;Japanese</source>
        <translation>日本語として読む(&amp;J)</translation>
    </message>
    <message>
        <source>Read as &amp;Chinese</source>
        <translation>中国語として読む(&amp;C)</translation>
    </message>
    <message>
        <source>Read as &amp;Korean</source>
        <translation>韓国語として読む(&amp;K)</translation>
    </message>
    <message>
        <source>Set each selected sort value to its reading in this language</source>
        <translation>選んだ値のこの言語での読みをソート値にします</translation>
    </message>
    <message>
        <source>&amp;Undecided Values</source>
        <translation>言語の決まらない値(&amp;U)</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日本語</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中国語</translation>
    </message>
    <message>
        <source>C&amp;hinese Readings</source>
        <translation>中国語の読み(&amp;H)</translation>
    </message>
    <message>
        <source>Pinyin</source>
        <translation>ピンイン</translation>
    </message>
    <message>
        <source>Zhuyin (Bopomofo)</source>
        <translation>注音 (ボポモフォ)</translation>
    </message>
    <message>
        <source>K&amp;orean Readings</source>
        <translation>韓国語の読み(&amp;O)</translation>
    </message>
    <message>
        <source>Hangul as Written</source>
        <translation>ハングルのまま</translation>
    </message>
    <message>
        <source>Latin Letters</source>
        <translation>ローマ字</translation>
    </message>
    <message>
        <source>Set each selected sort value to the reading of the value in its language (Ctrl+J)</source>
        <translation>選んだ値のその言語での読みをソート値にします (Ctrl+J)</translation>
    </message>
    <message>
        <source>1 value has no reading: %1</source>
        <translation>読みがない値: 1 件 (%1)</translation>
    </message>
    <message>
        <source>%1 values have no reading: %2</source>
        <translation>読みがない値: %1 件 (%2)</translation>
    </message>
    <message>
        <source>Set each selected sort value to the value written character by character in lower-case Latin letters, Han characters as pinyin (Ctrl+R); for Japanese romaji, use Reading with the style Romaji</source>
        <translation>選んだ値を一文字ずつ小文字のラテン文字にしてソート値にします。漢字はピンインになります (Ctrl+R)。日本語のローマ字には、書き方「ローマ字」で「読み」を使ってください</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Stop the Load and keep the list as it was</source>
        <translation>スキャンを止め、一覧を元のままにします</translation>
    </message>
    <message>
        <source>Choose a field and press Load to list its values that need a sort value.</source>
        <translation>項目を選んで「スキャン」を押すと、ソート値が要る値が一覧になります。</translation>
    </message>
    <message>
        <source>Cannot read the library folder %1: %2</source>
        <translation>ライブラリのフォルダ %1 を読み取れません: %2</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>アクセス権がありません</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>スキャン</translation>
    </message>
    <message>
        <source>Load cancelled: the list is as it was</source>
        <translation>スキャンを取り消しました。一覧は元のままです</translation>
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
        <translation>%2 行のうち %1 行を表示</translation>
    </message>
    <message>
        <source>1 file could not be read</source>
        <translation>読み取れないファイル: 1 件</translation>
    </message>
    <message>
        <source>%1 files could not be read</source>
        <translation>読み取れないファイル: %1 件</translation>
    </message>
    <message>
        <source>1 warning</source>
        <translation>警告: 1 件</translation>
    </message>
    <message>
        <source>%1 warnings</source>
        <translation>警告: %1 件</translation>
    </message>
    <message>
        <source>%1 — show</source>
        <translation>%1 — 表示</translation>
    </message>
    <message>
        <source>Nothing written: Save cancelled</source>
        <translation>何も書き込んでいません: 保存を取り消しました</translation>
    </message>
    <message>
        <source>%1; %2</source>
        <translation>%1。%2</translation>
    </message>
    <message>
        <source>Nothing selected: select the rows to change first</source>
        <translation>何も選ばれていません。先に変える行を選んでください</translation>
    </message>
    <message>
        <source>1 row changed</source>
        <translation>1 行を変更しました</translation>
    </message>
    <message>
        <source>%1 rows changed</source>
        <translation>%1 行を変更しました</translation>
    </message>
    <message>
        <source>; %1 kept their sort value (Only empty)</source>
        <translation>。%1 行はソート値をそのままにしました (空のみ)</translation>
    </message>
    <message>
        <source>Remo&amp;ve Sort Value</source>
        <translation>ソート値を削除(&amp;V)</translation>
    </message>
    <message>
        <source>Remove the sort value of each selected row from its tracks on Save</source>
        <translation>保存のときに、選んだ行のソート値をそのトラックから削除します</translation>
    </message>
    <message>
        <source>Re&amp;do Revert</source>
        <translation>取り消しをやり直す(&amp;D)</translation>
    </message>
    <message>
        <source>Write again what the last revert took back</source>
        <translation>最後の取り消しで戻した内容をもう一度書き込みます</translation>
    </message>
    <message>
        <source>&amp;Ask Before Saving</source>
        <translation>保存の前に確認(&amp;A)</translation>
    </message>
    <message>
        <source>Only &amp;empty</source>
        <translation>空のみ(&amp;E)</translation>
    </message>
    <message>
        <source>Copy to Sort, Romaji and Reading leave rows that have a sort value alone</source>
        <translation>「ソート値にコピー」「ローマ字」「読み」は、ソート値がある行を変えません</translation>
    </message>
    <message>
        <source>&amp;About yomi</source>
        <translation>yomi について(&amp;A)</translation>
    </message>
    <message>
        <source>About yomi</source>
        <translation>yomi について</translation>
    </message>
    <message>
        <source>%1: remove the sort value</source>
        <translation>%1: ソート値を削除</translation>
    </message>
    <message>
        <source>%1 → %2</source>
        <translation>%1 → %2</translation>
    </message>
    <message>
        <source>Unsaved Sort Values</source>
        <translation>保存していないソート値</translation>
    </message>
    <message>
        <source>Some sort values are not saved yet. Save them first?</source>
        <translation>まだ保存していないソート値があります。先に保存しますか?</translation>
    </message>
    <message>
        <source>Cancelled: the edits are still here</source>
        <translation>取り消しました。編集はそのまま残っています</translation>
    </message>
    <message>
        <source>%1: remove the sort value (%2)</source>
        <translation>%1: ソート値を削除 (%2)</translation>
    </message>
    <message>
        <source>%1 → %2 (%3)</source>
        <translation>%1 → %2 (%3)</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save will write %1, one file each, for %2. Write them now?</source>
        <translation>保存すると、%2 について %1 (1 曲につき 1 ファイル) に書き込みます。今書き込みますか?</translation>
    </message>
    <message>
        <source>Nothing to write: every track has its listed sort value</source>
        <translation>書き込むものはありません。どのトラックも一覧のソート値を持っています</translation>
    </message>
    <message>
        <source>Redo Revert</source>
        <translation>取り消しをやり直す</translation>
    </message>
    <message>
        <source>Revert Last Save</source>
        <translation>最後の保存を取り消す</translation>
    </message>
    <message>
        <source>Write again the %1 that the last revert took back?</source>
        <translation>最後の取り消しで戻した %1 にもう一度書き込みますか?</translation>
    </message>
    <message>
        <source>Take back Save %1: rewrite %2 with the sort values they had before?</source>
        <translation>保存 %1 を取り消し、%2 を以前のソート値に書き戻しますか?</translation>
    </message>
    <message>
        <source>Nothing reverted: cancelled</source>
        <translation>何も取り消していません: キャンセルしました</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>ログ</translation>
    </message>
    <message>
        <source>No log viewer could be started. The last lines yomi wrote to the log:</source>
        <translation>ログビューアを起動できませんでした。yomi が最後にログに書いた行:</translation>
    </message>
    <message>
        <source>Not Read</source>
        <translation>読み取れなかったもの</translation>
    </message>
    <message>
        <source>These could not be read by the last Load:</source>
        <translation>最後のスキャンで読み取れなかったもの:</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;yomi&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;Fills in the sort fields of music tracks whose values are written in Han characters or other scripts outside kana and Latin letters, so that they sort by their reading.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Load&lt;/b&gt; lists the values of the chosen field; &lt;b&gt;Reading&lt;/b&gt; sets the sort value to the value&apos;s reading in its language (for Japanese romaji, choose the style Romaji); &lt;b&gt;Romaji&lt;/b&gt; writes each character in Latin letters (Han characters as pinyin); &lt;b&gt;Copy to Sort&lt;/b&gt; uses the value itself. &lt;b&gt;Save&lt;/b&gt; writes the sort values into the files, each write checked on the bytes and undoable with Edit → Revert Last Save.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;yomi&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;漢字など、かなとラテン文字以外で書かれた値を持つ曲のソート項目を埋め、読みの順に並ぶようにします。&lt;/p&gt;&lt;p&gt;&lt;b&gt;スキャン&lt;/b&gt;は選んだ項目の値を一覧にします。&lt;b&gt;読み&lt;/b&gt;はその言語での値の読みをソート値にします (日本語のローマ字には書き方「ローマ字」を選びます)。&lt;b&gt;ローマ字&lt;/b&gt;は一文字ずつラテン文字にします (漢字はピンイン)。&lt;b&gt;ソート値にコピー&lt;/b&gt;は値そのものを使います。&lt;b&gt;保存&lt;/b&gt;はソート値をファイルに書き込みます。書き込みはバイト単位で確かめられ、編集 → 最後の保存を取り消す で元に戻せます。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>An empty cell changes nothing: to remove a sort value, use Edit → Remove Sort Value</source>
        <translation>空のセルは何も変えません。ソート値を削除するには 編集 → ソート値を削除 を使ってください</translation>
    </message>
    <message>
        <source>Library &amp;Report</source>
        <translation>曲の読みの報告(&amp;R)</translation>
    </message>
    <message>
        <source>Library Report</source>
        <translation>曲の読みの報告</translation>
    </message>
    <message>
        <source>All person fields</source>
        <translation>すべての人名フィールド</translation>
    </message>
    <message>
        <source>Artist, album artist and composer: each name listed once, and Save writes its sort value into all three</source>
        <translation>アーティスト・アルバムアーティスト・作曲者: 名前ごとに 1 行、保存で 3 つすべてに読みを書き込みます</translation>
    </message>
</context>
<context>
    <name>PairListModel</name>
    <message>
        <source>Value</source>
        <translation>値</translation>
    </message>
    <message>
        <source>Sort Value</source>
        <translation>ソート値</translation>
    </message>
    <message>
        <source>Tracks</source>
        <translation>曲数</translation>
    </message>
    <message>
        <source>Sure: %1</source>
        <translation>確実: %1</translation>
    </message>
    <message>
        <source>Likely: %1</source>
        <translation>ほぼ確実: %1</translation>
    </message>
    <message>
        <source>Check: %1</source>
        <translation>要確認: %1</translation>
    </message>
    <message>
        <source>chosen by you</source>
        <translation>あなたが選んだもの</translation>
    </message>
    <message>
        <source>Japanese</source>
        <translation>日本語</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中国語</translation>
    </message>
    <message>
        <source>Korean</source>
        <translation>韓国語</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>言語</translation>
    </message>
    <message>
        <source>The tracks hold %1 sort values:</source>
        <translation>曲が持つソート値: %1 通り</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>1 track</source>
        <translation>1 曲</translation>
    </message>
    <message>
        <source>%1 tracks</source>
        <translation>%1 曲</translation>
    </message>
    <message>
        <source>The last Save could not write %1: see the log</source>
        <translation>最後の保存で %1 に書き込めませんでした。ログを見てください</translation>
    </message>
    <message>
        <source>Save will remove the sort value from %1 of %2</source>
        <translation>保存すると、%2 のうち %1 からソート値を削除します</translation>
    </message>
    <message>
        <source>Save will write %1 of %2</source>
        <translation>保存すると、%2 のうち %1 に書き込みます</translation>
    </message>
    <message>
        <source>%1 (%2 to write)</source>
        <translation>%1 (書き込み %2)</translation>
    </message>
</context>
</TS>
