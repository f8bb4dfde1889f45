#include "report/reason_texts.h"

namespace kalvor::report {

namespace {

struct ReasonTexts {
    std::string_view description;
    std::string_view token;
};

ReasonTexts TextsOf(scan::FileRefusal reason) {
    using scan::FileRefusal;
    switch (reason) {
        case FileRefusal::NotRegularFile:
            return {"不是普通文件", "not-regular-file"};
        case FileRefusal::ReadOnly:
            return {"只读", "read-only"};
        case FileRefusal::Locked:
            return {"被其他程序锁定", "locked"};
        case FileRefusal::Unreadable:
            return {"无法读取", "unreadable"};
        case FileRefusal::DanglingLink:
            return {"链接的目标不存在", "dangling-link"};
        case FileRefusal::PathTooLong:
            return {"路径过长", "path-too-long"};
        case FileRefusal::ChangedWhileRead:
            return {"检查时文件正在被修改", "changed-while-read"};
    }
    return {"", "unknown"};
}

// The only stream a search asks a compound file for by name is "WordDocument".
ReasonTexts TextsOf(cfb::StreamReadResult reason) {
    using cfb::StreamReadResult;
    switch (reason) {
        case StreamReadResult::Read:
            return {"", "none"};
        case StreamReadResult::NotCompoundFile:
            return {"不是复合文档格式的文件（如 RTF、HTML、文本或已损坏）", "not-compound-file"};
        case StreamReadResult::StreamNotFound:
            return {"没有 WordDocument 流", "no-word-document-stream"};
        case StreamReadResult::StreamTooLarge:
            return {"WordDocument 流过大或已损坏", "stream-too-large"};
        case StreamReadResult::StructureTooLarge:
            return {"复合文件结构过大或已损坏", "structure-too-large"};
    }
    return {"", "unknown"};
}

ReasonTexts TextsOf(scan::WordStreamRefusal reason) {
    using scan::WordStreamRefusal;
    switch (reason) {
        case WordStreamRefusal::TooShort:
            return {"WordDocument 流过短", "too-short"};
        case WordStreamRefusal::UnsupportedVersion:
            return {"Word 文档的版本不受支持（只能处理 Word 97-2003）", "unsupported-version"};
        case WordStreamRefusal::Encrypted:
            return {"已加密，需要密码才能打开", "encrypted"};
        case WordStreamRefusal::OlderWorksFormat:
            return {"旧版文字处理软件的文件，不是 WPS 文字或 Word 文档", "older-works-format"};
    }
    return {"", "unknown"};
}

ReasonTexts TextsOf(scan::PackageRefusal reason) {
    using scan::PackageRefusal;
    switch (reason) {
        case PackageRefusal::NotPackage:
            return {"不是 ZIP 包或复合文档格式的文件（如文本或已损坏）", "not-package"};
        case PackageRefusal::Encrypted:
            return {"已加密，需要密码才能打开", "encrypted-package"};
        case PackageRefusal::Damaged:
            return {"ZIP 包或其中的 XML 已损坏", "damaged-package"};
        case PackageRefusal::NoMainPart:
            return {"ZIP 包中没有 Word 文档的正文部分", "no-main-part"};
        case PackageRefusal::TooLarge:
            return {"解压后过大或压缩比异常（疑似压缩炸弹）", "package-too-large"};
        case PackageRefusal::LibrariesMissing:
            return {"无法加载读取此类文档所需的程序库（libzip、expat）",
                    "package-libraries-missing"};
    }
    return {"", "unknown"};
}

ReasonTexts TextsOf(scan::ExaminationLimit reason) {
    switch (reason) {
        case scan::ExaminationLimit::OutOfMemory:
            return {"内存不足", "out-of-memory"};
    }
    return {"", "unknown"};
}

ReasonTexts TextsOf(const scan::NotExaminedReason& reason) {
    return std::visit([](auto floorReason) { return TextsOf(floorReason); }, reason.Floor());
}

ReasonTexts TextsOf(scan::FolderNotListedReason reason) {
    using scan::FolderNotListedReason;
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

std::string_view ReasonToken(const scan::NotExaminedReason& reason) {
    return TextsOf(reason).token;
}

std::string_view ReasonToken(scan::FolderNotListedReason reason) {
    return TextsOf(reason).token;
}

std::string_view ReasonDescription(const scan::NotExaminedReason& reason) {
    return TextsOf(reason).description;
}

std::string_view ReasonDescription(scan::FolderNotListedReason reason) {
    return TextsOf(reason).description;
}

std::string FolderNotListedNote(scan::FolderNotListedReason reason) {
    return "无法列出文件夹（" + std::string(ReasonDescription(reason)) + "），其下内容均未搜索";
}

}  // namespace kalvor::report
