#include "scan/marking_verdict.h"

namespace kalvor::scan {

namespace {

struct ReasonTexts {
    std::string_view description;
    std::string_view token;
};

ReasonTexts TextsOf(NotExaminedReason reason) {
    switch (reason) {
        case NotExaminedReason::None:
            return {"", "none"};
        case NotExaminedReason::NotRegularFile:
            return {"不是普通文件", "not-regular-file"};
        case NotExaminedReason::ReadOnly:
            return {"只读", "read-only"};
        case NotExaminedReason::Locked:
            return {"被其他程序锁定", "locked"};
        case NotExaminedReason::Unreadable:
            return {"无法读取", "unreadable"};
        case NotExaminedReason::DanglingLink:
            return {"链接的目标不存在", "dangling-link"};
        case NotExaminedReason::NotCompoundFile:
            return {"不是复合文档格式的文件（如 RTF、HTML、文本或已损坏）", "not-compound-file"};
        case NotExaminedReason::NoWordDocumentStream:
            return {"没有 WordDocument 流", "no-word-document-stream"};
        case NotExaminedReason::StreamTooLarge:
            return {"WordDocument 流过大或已损坏", "stream-too-large"};
        case NotExaminedReason::StructureTooLarge:
            return {"复合文件结构过大或已损坏", "structure-too-large"};
        case NotExaminedReason::OutOfMemory:
            return {"内存不足", "out-of-memory"};
        case NotExaminedReason::TooShort:
            return {"WordDocument 流过短", "too-short"};
        case NotExaminedReason::UnsupportedVersion:
            return {"Word 文档的版本不受支持（只能处理 Word 97-2003）", "unsupported-version"};
        case NotExaminedReason::Encrypted:
            return {"已加密，需要密码才能打开", "encrypted"};
        case NotExaminedReason::PathTooLong:
            return {"路径过长", "path-too-long"};
        case NotExaminedReason::OlderWorksFormat:
            return {"旧版文字处理软件的文件，不是 WPS 文字或 Word 文档", "older-works-format"};
        case NotExaminedReason::NotPackage:
            return {"不是 ZIP 包或复合文档格式的文件（如文本或已损坏）", "not-package"};
        case NotExaminedReason::EncryptedPackage:
            return {"已加密，需要密码才能打开", "encrypted-package"};
        case NotExaminedReason::DamagedPackage:
            return {"ZIP 包或其中的 XML 已损坏", "damaged-package"};
        case NotExaminedReason::NoMainPart:
            return {"ZIP 包中没有 Word 文档的正文部分", "no-main-part"};
        case NotExaminedReason::PackageTooLarge:
            return {"解压后过大或压缩比异常（疑似压缩炸弹）", "package-too-large"};
        case NotExaminedReason::ChangedWhileRead:
            return {"检查时文件正在被修改", "changed-while-read"};
    }
    return {"", "unknown"};
}

ReasonTexts TextsOf(FolderNotListedReason reason) {
    switch (reason) {
        case FolderNotListedReason::NoPermission:
            return {"没有权限", "no-permission"};
        case FolderNotListedReason::Gone:
            return {"已不存在", "gone"};
        case FolderNotListedReason::TooManyLinks:
            return {"链接层数过多，系统无法跟随", "too-many-links"};
        case FolderNotListedReason::PathTooLong:
            return {"路径过长", "path-too-long"};
        case FolderNotListedReason::Unreadable:
            return {"无法读取", "unreadable"};
    }
    return {"", "unknown"};
}

}  // namespace

std::string_view DescribeReason(NotExaminedReason reason) {
    return TextsOf(reason).description;
}

std::string_view ReasonToken(NotExaminedReason reason) {
    return TextsOf(reason).token;
}

std::string_view DescribeReason(FolderNotListedReason reason) {
    return TextsOf(reason).description;
}

std::string_view ReasonToken(FolderNotListedReason reason) {
    return TextsOf(reason).token;
}

}  // namespace kalvor::scan
