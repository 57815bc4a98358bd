#include "Reading/Chinese/Surnames.h"

#include <mutex>
#include <string>
#include <unordered_map>

#include "Platform/Text.h"

namespace yomi::chinese {
namespace {

// One surname a line: its forms (simplified first, traditional after a
// slash when they differ), its reading, "c" for one of the commonest or "-",
// then the other readings it takes as a surname, and "~" with the tone of
// each syllable where the usual tone of the characters' syllable is not the
// surname's.
constexpr std::string_view kTable = R"(王 wang c
李 li c
张/張 zhang c
刘/劉 liu c
陈/陳 chen c
杨/楊 yang c
黄/黃 huang c
赵/趙 zhao c
吴/吳 wu c
周 zhou c
徐 xu c
孙/孫 sun c
马/馬 ma c
朱 zhu c
胡 hu c
郭 guo c
何 he c
林 lin c
高 gao c
罗/羅 luo c
郑/鄭 zheng c
梁 liang c
谢/謝 xie c
宋 song c
唐 tang c
许/許 xu c
邓/鄧 deng c
韩/韓 han c
冯/馮 feng c
曹 cao c
彭 peng c
曾 zeng c
萧/蕭 xiao c
肖 xiao c
田 tian c
董 dong c
潘 pan c
袁 yuan c
蔡 cai c
蒋/蔣 jiang c
余 yu c
于 yu c
杜 du c
叶/葉 ye c
程 cheng c
魏 wei c
苏/蘇 su c
吕/呂 lyu c
丁 ding c
任 ren c ~2
卢/盧 lu c
姚 yao c
沈 shen c
钟/鍾/鐘 zhong c
姜 jiang c
崔 cui c
谭/譚 tan c
陆/陸 lu c
范 fan c
汪 wang c
廖 liao c
石 shi c
金 jin c
韦/韋 wei c
贾/賈 jia c
夏 xia c
付 fu c
傅 fu c
方 fang c
邹/鄒 zou c
熊 xiong c
白 bai c
孟 meng c
秦 qin c
邱 qiu c
侯 hou c
江 jiang c
尹 yin c
薛 xue c
闫/閆 yan c
阎/閻 yan c
段 duan c
雷 lei c
龙/龍 long c
黎 li c
史 shi c
陶 tao c
贺/賀 he c
毛 mao c
郝 hao c
顾/顧 gu c
龚/龔 gong c
邵 shao c
万/萬 wan c
覃 qin c tan
武 wu c
钱/錢 qian c
戴 dai c
严/嚴 yan c
莫 mo c
孔 kong c
向 xiang c
常 chang c
汤/湯 tang c
康 kang c
易 yi c
乔/喬 qiao c
赖/賴 lai c
文 wen c
施 shi c
洪 hong c
辛 xin c
柯 ke c
庄/莊 zhuang c
葛 ge c
鲍/鮑 bao c
祝 zhu c
欧/歐 ou c
左 zuo c
殷 yin c
樊 fan c
季 ji c
牛 niu c
单/單 shan c
关/關 guan c
包 bao c
温/溫 wen c
章 zhang c
俞 yu c
倪 ni c
柳 liu c
岳 yue c
齐/齊 qi c
颜/顏 yan c
聂/聶 nie c
庞/龐 pang c
邢 xing c
梅 mei c
甘 gan c
蓝/藍 lan c
童 tong c
凌 ling c
焦 jiao c
纪/紀 ji c ~3
舒 shu c
毕/畢 bi c
霍 huo c
伍 wu c
卓 zhuo c
古 gu c
詹 zhan c
鲁/魯 lu c
翁 weng c
涂/塗 tu c
苗 miao c
尤 you c
游 you c
容 rong c
阮 ruan c
骆/駱 luo c
戚 qi c
车/車 che c
华/華 hua c ~4
解 xie c
区/區 ou c
朴 piao c pu
查 zha c
乐/樂 yue c le
缪/繆 miao c
盖/蓋 ge c
裴 pei c
费/費 fei c
卫/衛 wei c
麦/麥 mai c
邝/鄺 kuang c
翟 zhai c
仇 qiu -
代 dai -
姬 ji -
宁/寧 ning -
滕 teng -
房 fang -
宫/宮 gong -
穆 mu -
谷 gu -
邬/鄔 wu -
路 lu -
尚 shang -
米 mi -
储/儲 chu -
褚 chu -
郎 lang -
冉 ran -
冷 leng -
蒲 pu -
甄 zhen -
薄 bo -
晏 yan -
鞠 ju -
屈 qu -
荆/荊 jing -
靳 jin -
佘 she -
芮 rui -
应/應 ying -
蔺/藺 lin -
谌/諶 chen -
燕 yan -
冼 xian -
岑 cen -
柴 chai -
池 chi -
刁 diao -
丰/豐 feng -
符 fu -
管 guan -
桂 gui -
杭 hang -
和 he -
扈 hu -
滑 hua -
怀/懷 huai -
吉 ji -
简/簡 jian -
蹇 jian -
阚/闞 kan -
匡 kuang -
况/況 kuang -
劳/勞 lao -
连/連 lian -
练/練 lian -
廉 lian -
娄/婁 lou -
栾/欒 luan -
麻 ma -
满/滿 man -
茅 mao -
蒙 meng -
糜 mi -
宓 mi -
闵/閔 min -
明 ming -
牟 mou -
钮/鈕 niu -
农/農 nong -
皮 pi -
平 ping -
濮 pu -
祁 qi -
强/強 qiang -
丘 qiu -
裘 qiu -
瞿 qu -
全 quan -
权/權 quan -
阙/闕 que -
饶/饒 rao -
荣/榮 rong -
桑 sang -
沙 sha -
商 shang -
申 shen -
盛 sheng -
师/師 shi -
时/時 shi -
帅/帥 shuai -
司 si -
索 suo -
谈/談 tan -
屠 tu -
危 wei -
闻/聞 wen -
巫 wu -
奚 xi -
席 xi -
项/項 xiang -
幸 xing -
宣 xuan -
荀 xun -
阳/陽 yang -
伊 yi -
虞 yu -
喻 yu -
禹 yu -
郁 yu -
元 yuan -
云/雲 yun -
臧 zang -
湛 zhan -
仲 zhong -
诸/諸 zhu -
竺 zhu -
宗 zong -
祖 zu -
种/種 chong -
员/員 yun - ~4
贲/賁 ben -
秘 bi -
隗 wei -
尉 wei -
郇 huan -
厍/厙 she -
那 na -
都 du -
眭 sui -
逄 pang -
斛 hu -
蔚 yu -
哈 ha -
党/黨 dang -
邸 di -
訾 zi -
钭/鈄 tou -
妫/媯 gui -
亓 qi -
啜 chuai -
弓 gong -
凤/鳳 feng -
庾 yu -
刀 dao -
尧/堯 yao -
窦/竇 dou -
欧阳/歐陽 ouyang c
司马/司馬 sima c
诸葛/諸葛 zhuge c
上官 shangguan c
夏侯 xiahou -
皇甫 huangfu -
尉迟/尉遲 yuchi -
公孙/公孫 gongsun -
慕容 murong -
长孙/長孫 zhangsun -
宇文 yuwen -
司徒 situ -
东方/東方 dongfang -
令狐 linghu - ~22
端木 duanmu -
轩辕/軒轅 xuanyuan -
澹台/澹臺 tantai -
濮阳/濮陽 puyang -
钟离/鍾離 zhongli -
闻人/聞人 wenren -
赫连/赫連 helian -
独孤/獨孤 dugu -
呼延 huyan -
万俟/萬俟 moqi -
南宫/南宮 nangong -
西门/西門 ximen -
申屠 shentu -
百里 baili -
东郭/東郭 dongguo -
太史 taishi -
左丘 zuoqiu -
公冶 gongye -
宗政 zongzheng -
淳于 chunyu -
单于/單于 chanyu -
鲜于/鮮于 xianyu -
拓跋 tuoba -
司空 sikong -
第五 diwu -
)";

struct Table {
    std::unordered_map<std::u16string, Surname> byForm;
    std::size_t longest = 0;
};

std::vector<std::string_view> split(std::string_view text, char by)
{
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find(by, at), text.size());
        if (end > at)
            out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

const Table& table()
{
    static const Table built = [] {
        Table t;
        for (const std::string_view line : split(kTable, '\n')) {
            const auto fields = split(line, ' ');
            if (fields.size() < 3)
                continue;
            Surname s;
            s.reading = std::string(fields[1]);
            s.common = fields[2] == "c";
            for (std::size_t i = 3; i < fields.size(); ++i)
                if (fields[i].front() == '~')
                    for (const char digit : fields[i].substr(1))
                        s.tones.push_back(digit - '0');
                else
                    s.alternatives.emplace_back(fields[i]);
            for (const std::string_view form : split(fields[0], '/')) {
                std::u16string key = toUtf16(form);
                s.length = key.size();
                t.longest = std::max(t.longest, key.size());
                t.byForm.emplace(std::move(key), s);
            }
        }
        return t;
    }();
    return built;
}

} // namespace

Surname surnameAt(std::u16string_view value)
{
    const Table& t = table();
    for (std::size_t length = std::min(t.longest, value.size()); length > 0; --length) {
        const auto found = t.byForm.find(std::u16string(value.substr(0, length)));
        if (found != t.byForm.end())
            return found->second;
    }
    return {};
}

bool isSurname(std::u16string_view text) { return table().byForm.count(std::u16string(text)) != 0; }

} // namespace yomi::chinese
