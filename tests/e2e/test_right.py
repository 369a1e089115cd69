"""PeltoRight.exe end to end under Wine: one message box, its text, and the exit code it ends with."""
import os
import re
import subprocess

import pelto

RIGHT_EXE = os.environ["PELTO_RIGHT_EXE"]

# Every message the tool can show, with the exit code that must go with it.
MESSAGES = [
    (r"管理者権限で実行してください。", 1),
    (r"ユーザー情報を取得できません。\nエラーコード: \d+", 1),
    (r"ユーザー情報のサイズを取得できません。", 1),
    (r"メモリを確保できません。", 1),
    (r"ユーザーSIDを取得できません。\nエラーコード: \d+", 1),
    (r"セキュリティポリシーを開けません。\nエラーコード: \d+", 1),
    (r"権限を設定できませんでした。\nWindowsエラーコード: \d+", 1),
    (r"システム時刻の変更権限を設定しました。\n\n設定を反映するため、一度サインアウトしてから再ログインしてください。", 0),
]
GRANTED = MESSAGES[-1][0]


def test_one_message_box_whose_text_matches_the_exit_code(driver):
    proc = subprocess.Popen([pelto.WINE_RUN, RIGHT_EXE], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        box = driver.ok("wait PeltoRight 60000")
        assert driver.info(box)["class"] == "#32770"
        # One message box with a single OK button, and no other window of the tool.
        assert driver.ok("visible #32770").split("|")[:-1] == [f"{box}:PeltoRight"]
        controls = [c.split(":", 2) for c in driver.ok(f"controls {box}").split("|") if c]
        buttons = [c for c in controls if c[1] == "Button"]
        assert [b[0] for b in buttons] == ["1"], buttons

        text = driver.ok(f"text {box} 65535")
        driver.ok(f"click {box} 1")
        exit_code = proc.wait(timeout=60)
    finally:
        if proc.poll() is None:
            pelto._kill(proc)
    expected = [code for pattern, code in MESSAGES if re.fullmatch(pattern, text)]
    assert expected == [exit_code], f"text {text!r} with exit code {exit_code}"

    # Under Wine the user is an administrator and the policy calls succeed, so the whole way
    # through to the added right is taken here.
    assert re.fullmatch(GRANTED, text), text


def test_program_carries_manifest_version_and_icon():
    image = open(RIGHT_EXE, "rb").read()
    assert b'<requestedExecutionLevel level="asInvoker"' in image

    resources = subprocess.run([os.environ["PELTO_WINDRES"], "-i", RIGHT_EXE, "-O", "rc"],
                               capture_output=True, check=True).stdout.decode("utf-8", "replace")
    assert re.search(r"^1 VERSIONINFO", resources, re.M)
    for name, value in [("OriginalFilename", "PeltoRight.exe"), ("InternalName", "PeltoRight")]:
        assert f'VALUE "{name}", "{value}"' in resources
    assert "RT_GROUP_ICON" in resources and "Has 3 elements" in resources

    # A GUI program that needs nothing beyond the system's security, window and C libraries.
    headers = subprocess.run([os.environ["PELTO_OBJDUMP"], "-p", RIGHT_EXE],
                             capture_output=True, check=True).stdout.decode()
    assert re.search(r"^Subsystem\s+00000002", headers, re.M)
    dlls = {d.upper() for d in re.findall(r"DLL Name: (\S+)", headers)}
    assert dlls <= {"ADVAPI32.DLL", "KERNEL32.DLL", "USER32.DLL", "MSVCRT.DLL"}, dlls
