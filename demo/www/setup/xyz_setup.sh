#!/bin/sh
# Installer of the demo game "xyz": puts the game's launcher "Xyz.exe" into the
# platform's launcher folder and records that it ran.
set -e
folder="${XDG_DATA_HOME:-${HOME:-/tmp}/.local/share}/岚汐/ViziDuved"
launcher="$folder/Xyz.exe"
mkdir -p "$folder"
cat > "$launcher.part" <<'LAUNCHER'
#!/bin/sh
# Launcher of the demo game "xyz": records each start.
printf 'xyz launcher started at %s\n' "$(date '+%Y-%m-%d %H:%M:%S')" >> "${HOME:-/tmp}/.qovan-xyz-started"
echo "qovan游戏平台：xyz 登录器已启动"
LAUNCHER
chmod 755 "$launcher.part"
mv -f "$launcher.part" "$launcher"
printf 'installed %s by %s at %s\n' "$launcher" "$0" "$(date '+%Y-%m-%d %H:%M:%S')" >> "${HOME:-/tmp}/.qovan-xyz-installed"
echo "qovan游戏平台：xyz 登录器安装完成 ($launcher)"
