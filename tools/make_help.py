"""Writes the four help pages (UTF-8, HTML 4) shown by the in-game help browser.

usage: make_help.py OUT_DIR
The pages share one navigation line.  Only markup that QTextBrowser shows
well is used: paragraphs, lists, tables, colours and a small style sheet.

The pages are read in the game's side panel, which is only about 270 pixels
wide (9 pt text), so they are laid out for that: no table has more than four
narrow columns, nothing has a fixed width, lists are indented less than usual
and headings stay small.  QTextBrowser gives <h1>..<h6> sizes of its own and
takes no size in pt or px for them (an <h1> comes out at twice the text
size), so the headings are paragraphs of the classes h1, h2 and h3 instead.
"""

import math
import os
import re
import sys

from make_tiles import KINDS

VERSION = "3.1"
TITLE = "霁虹珠台 QOB " + VERSION

# in the order of the navigation line
PAGES = [
    ("ssindex.htm", "珠台之家"),
    ("ssrule.htm", "游戏规则"),
    ("sslist.htm", "排行榜"),
    ("ssdownload.htm", "软件升级"),
]

# Where the game's website puts its own text when it serves these pages: a line of its
# own at the online mark, and on the ranking page the live ranking in place of the body.
ONLINE_MARK = "<!--qob:online-->"
BODY_START = "<!--qob:body-->"
BODY_END = "<!--/qob:body-->"

HEAD_BG = "#3a5f8a"
TABLE_HEAD_BG = "#dde6f0"
TABLE_ROW_BG = "#f6f8fb"

# Sizes in pt, so they keep step with the 9 pt text on any screen.
STYLE = """
body {{ max-width: 46em; }}
p {{ margin-top: 6px; margin-bottom: 6px; }}
p.h1 {{ font-size: 12pt; font-weight: bold; color: {head}; margin-top: 8px; margin-bottom: 6px; }}
p.h2 {{ font-size: 10.5pt; font-weight: bold; color: {head}; margin-top: 14px; margin-bottom: 4px; }}
p.h3 {{ font-size: 9.75pt; font-weight: bold; color: #8a3a3a; margin-top: 10px; margin-bottom: 4px; }}
p.nav {{ font-size: small; margin-top: 3px; margin-bottom: 3px; }}
p.note {{ font-size: small; color: #555555; }}
p.caption {{ margin-top: 10px; margin-bottom: 4px; }}
ul {{ margin-left: -22px; margin-top: 4px; margin-bottom: 4px; }}
ol {{ margin-left: -18px; margin-top: 4px; margin-bottom: 4px; }}
li {{ margin-bottom: 3px; }}
th {{ background-color: {table_head}; }}
span.date {{ font-size: small; color: #777777; }}
""".format(head=HEAD_BG, table_head=TABLE_HEAD_BG).strip()


def nav(current):
    links = []
    for page, name in PAGES:
        if page == current:
            links.append('<a href="%s"><b>%s</b></a>' % (page, name))
        else:
            links.append('<a href="%s">%s</a>' % (page, name))
    return '<p class="nav">' + " &nbsp;|&nbsp; ".join(links) + "</p>"


def join_lines(text):
    """Joins the source lines of a paragraph.

    A line break inside running text shows as a space, which looks wrong
    between two Chinese characters; next to Latin letters or digits a space
    is kept."""
    def glue(m):
        before, after = m.group(1), m.group(2)
        latin = before.isascii() and before.isalnum() or after.isascii() and after.isalnum()
        return before + (" " if latin else "") + after
    return re.sub(r"(\S)\n[ \t]*([^<\s])", glue, re.sub(r"\n[ \t]*(?=<(?:b|a|sup)[ >])", "", text))


def page(filename, body):
    name = dict(PAGES)[filename]
    body = join_lines(body)
    return """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN" "http://www.w3.org/TR/html4/loose.dtd">
<html lang="zh-CN">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>{title} - {name}</title>
<style type="text/css">
{style}
</style>
</head>
<body style="background-color: #ffffff; color: #222222;">
<table width="100%" border="0" cellspacing="0" cellpadding="5">
<tr><td bgcolor="{head_bg}"><span style="color: #ffffff; font-size: 10.5pt; font-weight: bold;">{title}</span>
<span style="color: #d8e4f0;">&nbsp; {name}</span></td></tr>
</table>
{nav}
<hr>
{online}
{body_start}
{body}
{body_end}
<hr>
{nav}
</body>
</html>
""".format(title=TITLE, name=name, head_bg=HEAD_BG, style=STYLE, nav=nav(filename),
           body=body.strip(), online=ONLINE_MARK, body_start=BODY_START, body_end=BODY_END)


def table(head, rows, align="center"):
    """A table with a heading row; keep it to four narrow columns at most."""
    assert len(head) <= 4 and all(len(row) == len(head) for row in rows)
    out = ['<table border="1" cellspacing="0" cellpadding="3">']
    out.append("<tr>" + "".join('<th bgcolor="%s">%s</th>' % (TABLE_HEAD_BG, h) for h in head) + "</tr>")
    for i, row in enumerate(rows):
        bg = ' bgcolor="%s"' % TABLE_ROW_BG if i % 2 else ""
        out.append("<tr>" + "".join('<td align="%s"%s>%s</td>' % (align, bg, c) for c in row) + "</tr>")
    out.append("</table>")
    return "\n".join(out)


def side_table(rows):
    """A two-column table with the row names in the first column."""
    out = ['<table border="1" cellspacing="0" cellpadding="3">']
    for name, text in rows:
        out.append('<tr><th bgcolor="%s" align="left">%s</th><td>%s</td></tr>' % (TABLE_HEAD_BG, name, text))
    out.append("</table>")
    return "\n".join(out)


def hex_colour(rgb):
    return "#%02x%02x%02x" % tuple(round(c * 255) for c in rgb)


# the kinds the game deals (1..7): name, symbol
BUBBLES = [("红", "圆点"), ("黄", "三角"), ("绿", "方块"), ("青", "菱形"),
           ("蓝", "五角星"), ("紫", "十字"), ("粉红", "心形")]


def bubble_table():
    """One row a kind: a swatch of its colour, its name, its symbol."""
    out = ['<table border="1" cellspacing="0" cellpadding="3">']
    out.append('<tr><th bgcolor="%s" colspan="2">珠子</th><th bgcolor="%s">记号</th></tr>'
               % (TABLE_HEAD_BG, TABLE_HEAD_BG))
    for kind, (name, symbol) in enumerate(BUBBLES, start=1):
        colour = hex_colour(KINDS[kind][0])
        out.append('<tr><td bgcolor="%s">&nbsp;&nbsp;&nbsp;</td><td>%s</td><td>%s</td></tr>'
                   % (colour, name, symbol))
    out.append("</table>")
    return "\n".join(out)


# ---- the pages ---------------------------------------------------------------

def index_page():
    return """
<p class="h1">{title}</p>
<p>欢迎来到霁虹珠台！雨过天晴，彩虹挂在天边——珠台上的七色珠子也一样，等着你把它们一组一组地消去。</p>

<p class="h2">这是什么游戏</p>
<p>霁虹珠台是一个消珠益智游戏。珠台有 7 &times; 7 个格子，摆满了七种珠子。
每种珠子除了颜色不同，还带着自己的小记号，分不清颜色的玩家也能一眼认出：</p>
{bubbles}
<p>点一下某颗珠子，和它相同、边或角相接的一整组珠子就会消失（至少要 3 颗），
上面的珠子落下来，新的珠子从顶上补进。一次消去的组越大，得分越高：
多看几步，把同色的珠子攒成一大片再动手。</p>

<p class="h2">怎样开始</p>
<ol>
<li>在右上方的“游戏”框里选一种模式（点选模式会问你是否开始新游戏），或点“开始游戏”重新开一局：
  <ul>
  <li><b>常规模式</b>：不计时，慢慢琢磨，专攻大组；</li>
  <li><b>过关模式</b>：和时钟赛跑，一关接一关；</li>
  <li><b>限次模式</b>：一共 180 步，看谁步步精打细算。</li>
  </ul></li>
<li>用鼠标点击至少 3 颗相连的相同珠子，把它们消去。</li>
<li>状态栏随时显示总分、关数和已走的轮数。</li>
<li>一局结束后，可以把成绩保存为记录文件，联网时发布到排行榜上。</li>
</ol>
<p>详细的玩法和计分方法请看 <a href="ssrule.htm">游戏规则</a>；
怎样参加排名请看 <a href="sslist.htm">排行榜</a>。祝你玩得开心！</p>
""".format(title=TITLE, bubbles=bubble_table())


def points_rows():
    """n, (n-2)^3, normal-mode bonus or None, int((n-2)^3.5) for the sizes shown."""
    for n in (3, 4, 5, 6, 7, 8, 10, 15, 20):
        cube = (n - 2) ** 3
        bonus = 10 * (n - 4) ** 2 if n >= 5 else None
        yield n, cube, bonus, math.floor((n - 2) ** 3.5)


def points_tables():
    dash = "&ndash;"
    timed = []
    normal = []
    for n, cube, bonus, lim in points_rows():
        timed.append(["<b>%d</b>" % n, str(cube), str(lim)])
        if bonus is None:
            normal.append(["<b>%d</b>" % n, dash, dash, dash])
        else:
            normal.append(["<b>%d</b>" % n, str(cube), str(bonus), str(cube + bonus)])
    return "\n".join([
        '<p class="caption"><b>过关模式和限次模式</b></p>',
        table(["n", "过关模式<br>分", "限次模式<br>分"], timed, align="right"),
        '<p class="caption"><b>常规模式</b></p>',
        table(["n", "分", "奖", "合计"], normal, align="right"),
    ])


def status_table():
    return side_table([
        ("总分", "总分 = 分 + 奖"),
        ("分", "各步消珠所得的分"),
        ("奖", "奖分（常规模式的大组奖分、过关模式的过关奖分）"),
        ("关", "当前关数"),
        ("轮", "已走的步数，括号内是已消去的珠子总数"),
        ("类型", "当前模式：常规、过关或限次"),
    ])


def rule_page():
    return """
<p class="h1">游戏规则</p>

<p class="h2">珠台</p>
<p>珠台共 7 行 7 列，49 个格子，每格一颗珠子。珠子共有七种，颜色不同，记号也不同
（红圆点、黄三角、绿方块、青菱形、蓝五角星、紫十字、粉红心形）。</p>

<p class="h2">怎样消珠</p>
<ul>
<li>点击一颗珠子。和它同种、<b>边或角</b>相接的珠子连成一组（斜着相邻也算，一颗接一颗地连下去）。</li>
<li>这一组至少有 <b>3 颗</b>，就整组消去；不到 3 颗时游戏会提示你，这一步不算数。</li>
<li>消去后，上面的珠子往下落，填满空格；新的珠子从顶上补进来。</li>
<li>新补进来的珠子会加框显示一次，便于看清哪些是新来的。</li>
<li>鼠标停在一颗珠子上时，点击会消去的那一组珠子会微微发亮；不亮，就说明这一下消不掉。</li>
<li>也可以用键盘玩：从 <b>开始游戏</b> 按 Tab 键进入珠台，方向键移动黄框，空格键或回车键消去框中珠子所在的一组。</li>
<li>珠台上再也找不到 3 颗相连的同种珠子时，游戏会告诉你：常规模式和限次模式的这一局就此结束，
  可以保存成绩。新开的珠台总有可消的珠子。</li>
</ul>
<p>下文中 n 表示一次消去的珠子数。</p>

<p class="h2">三种模式</p>

<p class="h3">常规模式</p>
<p>不计时，随意地玩。</p>
<ul>
<li>一次消去 5 颗或更多时，得 (n&minus;2)<sup>3</sup> 分，另加奖分 10 &times; (n&minus;4)<sup>2</sup>。</li>
<li>一次只消去 3 颗或 4 颗，可以消，但不得分。</li>
</ul>
<p>所以在常规模式里，值得耐心地把同种珠子攒成大组。</p>

<p class="h3">过关模式</p>
<ul>
<li>每一步得 (n&minus;2)<sup>3</sup> 分。</li>
<li>珠台右边是<b>过关条</b>。每一步让它增长
  n<sup>2</sup> &times; (100/1500) &times; 1.05<sup>关&minus;1</sup> 个百分点。
  例如第 1 关一次消去 5 颗，过关条增长 25 &times; 100/1500 &asymp; 1.67%。</li>
<li>过关条满了就进入下一关：换上一盘新珠，并得过关奖分 2000 &times; 1.1<sup>关</sup>
  （到第 2 关奖 2420 分，到第 3 关奖 2662 分，依此类推）。</li>
<li>珠台左边是<b>时钟条</b>，每一关都要和它赛跑。时钟条共 100 格，第 1 关每 3.6 秒走一格
  （共 6 分钟），以后每升一关快 10%。走到 80 格时时钟条变红，提醒你抓紧；走满时游戏结束。</li>
<li>两个按钮帮你解围：<b>外边转动</b> 把珠台最外一圈珠子顺时针转动四分之一圈；
  <b>内盘重组</b> 把里面 5 &times; 5 的方块中的珠子重新打乱。两个按钮每关<b>合计</b>可用 10 次。</li>
<li>珠台上没有可消的珠子时，游戏会提醒你试试这两个按钮，时钟照走；10 次用完仍没有可消的珠子，游戏结束。</li>
</ul>

<p class="h3">限次模式</p>
<ul>
<li>一局共 180 步，只有真正消去了珠子的点击才算一步。</li>
<li>每一步得 (n&minus;2)<sup>3.5</sup> 的整数部分。组越大，多出来的分越多。</li>
<li>珠台左边的条显示已用步数占 180 步的比例。</li>
<li>第 180 步走完，游戏结束；珠台上没有可消的珠子时，也提前结束。</li>
</ul>

<p class="h2">状态栏</p>
{status}

<p class="h2">成绩记录</p>
<ul>
<li>一局结束时，游戏会问你是否保存成绩记录（.rec 文件），记录存放在游戏程序旁边的 save 文件夹里。</li>
<li>任何时候都可以按 <b>保留成绩</b> 保存一份当前的成绩记录。</li>
<li>联网时按 <b>发布成绩</b>，可以把一份记录发布到游戏网站的 <a href="sslist.htm">排行榜</a> 上。</li>
</ul>

<p class="h2">得分表</p>
<p>一次消去 n 颗珠子所得的分：</p>
{points}
<p class="note">常规模式里 3 颗、4 颗的组不得分；
过关模式另有过关奖分，不在表内。</p>
""".format(status=status_table(), points=points_tables())


def ranking_table():
    """The columns of the ranking, one a row (a row of six would not fit the panel)."""
    head = ["名次", "称呼", "总分", "关数或轮数", "消珠", "日期", "复盘"]
    out = ['<table width="100%" border="1" cellspacing="0" cellpadding="3">']
    for i, h in enumerate(head):
        cell = ""
        if i == 0:
            cell = ('<td rowspan="%d" align="center" valign="middle" style="color: #777777;">'
                    "（本地页面不含排名数据）</td>" % len(head))
        out.append('<tr><th bgcolor="%s" width="25%%">%s</th>%s</tr>' % (TABLE_HEAD_BG, h, cell))
    out.append("</table>")
    return "\n".join(out)


def list_page():
    return """
<p class="h1">排行榜</p>
<p>霁虹珠台的排行榜设在本游戏的网站上，常规、过关、限次三种模式各自排名。</p>

<p class="h2">成绩记录是加封的</p>
<p>游戏保存的成绩记录（.rec 文件）经过加封：记录里带有校验，一旦被改动就会失效，
不能再发布。网站收到记录后，还要按游戏规则核对分数、奖分、轮数和消珠数，
不合规则的记录不会上榜。</p>
<p>记录里还带着这一局的对局记录：每一步点了哪里、何时用了外边转动和内盘重组、
计时走了几格，以及落下的新珠子。网站按游戏规则把这一局重新走一遍，结果与成绩完全一致的，
在排行榜上标为 <b>复盘验证</b>；走不通的记录不会上榜。</p>

<p class="h2">怎样发布成绩</p>
<ol>
<li>一局结束时按提示保存成绩记录，或者在游戏中随时按 <b>保留成绩</b> 保存一份。
    记录是 save 文件夹里的一个 .rec 文件。</li>
<li>连上网络，按 <b>发布成绩</b>。</li>
<li>在弹出的对话框中选择要发布的 .rec 文件。</li>
</ol>

<p class="h2">当前排名</p>
{table}
<p class="note">这是随游戏附带的本地页面，不能显示实时的排行榜。
要看最新的名次，请在联网时访问本游戏的网站。</p>
""".format(table=ranking_table())


def download_page():
    return """
<p class="h1">软件升级</p>
<p>你正在使用的是 <b>{title}</b>。</p>

<p class="h2">新版本</p>
<p>霁虹珠台的新版本会发布在本游戏的网站上。新版本可能带来新的功能、改进和修正，
欢迎常去看看。</p>

<p class="h2">升级时要保留什么</p>
<ul>
<li><b>save 文件夹</b>（在游戏程序旁边）：里面是你保存的成绩记录（.rec 文件）。升级时不要删除它。</li>
<li>为稳妥起见，升级前先把 save 文件夹复制一份，放在别处备份。</li>
</ul>
""".format(title=TITLE)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    bodies = {
        "ssindex.htm": index_page(),
        "ssrule.htm": rule_page(),
        "sslist.htm": list_page(),
        "ssdownload.htm": download_page(),
    }
    for filename, body in bodies.items():
        with open(os.path.join(out, filename), "w", encoding="utf-8", newline="\n") as f:
            f.write(page(filename, body))


if __name__ == "__main__":
    main()
