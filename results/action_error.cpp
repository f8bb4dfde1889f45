#include "results/action_error.h"

#include <array>
#include <cerrno>
#include <utility>

namespace kalvor::results {

namespace {

class ActionErrorCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "kalvor action"; }

    std::string message(int value) const override {
        return ReasonText({value, *this}).toStdString();
    }
};

const ActionErrorCategory& Category() {
    static const ActionErrorCategory category;
    return category;
}

QString OwnReason(ActionError error) {
    switch (error) {
        case ActionError::FileChanged:
            return QStringLiteral("搜索之后文件已被修改");
        case ActionError::FileGone:
            return QStringLiteral("文件已不存在或无法访问");
        case ActionError::ReplacesListedDocument:
            return QStringLiteral("目标文件夹中的同名文件也在列表中，不会覆盖它");
        case ActionError::NoApplication:
            return QStringLiteral("没有可以打开它的程序");
        case ActionError::FolderGone:
            return QStringLiteral("文件夹不存在或无法访问");
        case ActionError::FileReplaced:
            return QStringLiteral("搜索之后该路径已指向另一个文件");
        case ActionError::FolderReplaced:
            return QStringLiteral("搜索之后该文件夹已被另一个取代");
        case ActionError::ClipboardUnavailable:
            return QStringLiteral("剪贴板不可用，可能正被其他程序占用");
    }
    return {};
}

// The system's errors a user can do something about, in the window's language.
constexpr std::array<std::pair<std::errc, const char16_t*>, 13> kSystemReasons{{
    {std::errc::permission_denied, u"没有权限"},
    {std::errc::operation_not_permitted, u"没有权限"},
    {std::errc::read_only_file_system, u"目标位于只读的文件系统"},
    {std::errc::no_space_on_device, u"磁盘空间不足"},
    {std::errc::no_such_file_or_directory, u"文件或文件夹不存在"},
    {std::errc::not_a_directory, u"路径中有一级不是文件夹"},
    {std::errc::filename_too_long, u"路径太长"},
    {std::errc::is_a_directory, u"不是文件"},
    {std::errc::invalid_argument, u"不是普通文件"},
    {std::errc::io_error, u"读写磁盘出错"},
    {std::errc::device_or_resource_busy, u"正被其他程序使用"},
    {std::errc::text_file_busy, u"正被其他程序使用"},
    {std::errc::too_many_symbolic_link_levels, u"符号链接层数太多"},
}};

}  // namespace

std::error_code make_error_code(ActionError error) {
    return {static_cast<int>(error), Category()};
}

QString ReasonText(const std::error_code& error) {
    if (error.category() == Category()) {
        return OwnReason(static_cast<ActionError>(error.value()));
    }
    for (const auto& [condition, text] : kSystemReasons) {
        if (error == condition) {
            return QString::fromUtf16(text);
        }
    }
#ifdef EDQUOT
    if (error == std::error_code(EDQUOT, std::generic_category())) {
        return QStringLiteral("磁盘配额已用完");
    }
#endif
    return QStringLiteral("系统错误（代码 %1）").arg(error.value());
}

}  // namespace kalvor::results
