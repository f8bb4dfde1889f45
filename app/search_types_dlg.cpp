#include "app/search_types_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace kalvor::app {

namespace {

struct TypeName {
    std::string_view type;
    const char16_t* name;
};

constexpr std::array<TypeName, 7> kTypeNames{{
    {"doc", u"Word 97-2003 文档"},
    {"dot", u"Word 97-2003 模板"},
    {"wps", u"WPS 文字文档"},
    {"docx", u"Word 文档"},
    {"docm", u"启用宏的 Word 文档"},
    {"dotx", u"Word 模板"},
    {"dotm", u"启用宏的 Word 模板"},
}};

// The text of the box for type `name`: what Word's own save dialog calls the type, with its file
// pattern; a type without a name here shows its pattern alone.
QString DocumentTypeLabel(std::string_view name) {
    const QString pattern = QStringLiteral("*.") + QString::fromLatin1(name);
    const auto known = std::ranges::find(kTypeNames, name, &TypeName::type);
    if (known == kTypeNames.end()) {
        return pattern;
    }
    return QStringLiteral("%1 (%2)").arg(QString::fromUtf16(known->name), pattern);
}

}  // namespace

CSearchTypesDlg::CSearchTypesDlg(const results::SearchChoice& choice, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("搜索选项"));

    auto* typeGroup = new QGroupBox(QStringLiteral("搜索以下类型的文件"), this);
    auto* typeList = new QVBoxLayout(typeGroup);
    for (const std::string_view type : scan::DocumentTypes::Known()) {
        auto* box = new QCheckBox(DocumentTypeLabel(type), typeGroup);
        box->setObjectName(QString::fromLatin1(type));
        box->setChecked(choice.types.Contains(type));
        connect(box, &QCheckBox::toggled, this, &CSearchTypesDlg::UpdateOkButton);
        typeList->addWidget(box);
        types_.emplace_back(type, box);
    }

    auto* matchGroup = new QGroupBox(QStringLiteral("标志的两个字之间"), this);
    wideMatch_ =
        new QCheckBox(QStringLiteral("也接受全角空格和不换行空格（1999 年公文格式）"), matchGroup);
    wideMatch_->setObjectName(QStringLiteral("wide"));
    wideMatch_->setChecked(choice.match == scan::marking::MatchRule::Wide);
    (new QVBoxLayout(matchGroup))->addWidget(wideMatch_);

    auto* accessGroup = new QGroupBox(QStringLiteral("也检查以下文档（只读取，不加锁）"), this);
    auto* accessList = new QVBoxLayout(accessGroup);
    readOnly_ =
        new QCheckBox(QStringLiteral("只读的文档（没有写权限、只读挂载或不可更改）"), accessGroup);
    readOnly_->setObjectName(QStringLiteral("read-only"));
    readOnly_->setChecked(choice.include.readOnly);
    accessList->addWidget(readOnly_);
    inUse_ = new QCheckBox(QStringLiteral("被其他程序占用的文档"), accessGroup);
    inUse_->setObjectName(QStringLiteral("in-use"));
    inUse_->setChecked(choice.include.inUse);
    accessList->addWidget(inUse_);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok_->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(typeGroup);
    layout->addWidget(matchGroup);
    layout->addWidget(accessGroup);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    UpdateOkButton();
}

results::SearchChoice CSearchTypesDlg::Choice() const {
    results::SearchChoice choice;
    for (const auto& [type, box] : types_) {
        choice.types.Set(type, box->isChecked());
    }
    choice.match = wideMatch_->isChecked() ? scan::marking::MatchRule::Wide
                                           : scan::marking::MatchRule::Default;
    choice.include = {.readOnly = readOnly_->isChecked(), .inUse = inUse_->isChecked()};
    return choice;
}

void CSearchTypesDlg::UpdateOkButton() {
    ok_->setEnabled(
        std::ranges::any_of(types_, [](const auto& type) { return type.second->isChecked(); }));
}

}  // namespace kalvor::app
