# bash completion for q7k3fm-cli: commands, options, convert kinds, and phone folders
# from the last scan (q7k3fm-cli scan keeps the list in ~/.cache/q7k3fm/folders).

_q7k3fm_cli_folders() {
    local cache="${XDG_CACHE_HOME:-$HOME/.cache}/q7k3fm/folders"
    [[ -r $cache ]] && cat -- "$cache"
}

_q7k3fm_cli() {
    local cur prev words cword
    _init_completion -n '=:\' 2>/dev/null || {
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD-1]}
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
    }
    local commands="backup contacts convert detect get identify java ls messages ports put rename restore rm scan verify help"
    local link="--port --baud --sleep --trace --same-phone --quiet --verbose --help"
    local fs="$link --mode --hidden"
    local kinds="mel2mmf mmf2mel mmf2wav mel2wav ani2bmp pic2ani pic2ems ems2bmp imy2ems ems2imy jad"

    case $prev in
        --port) COMPREPLY=($(compgen -W "auto" -- "$cur") $(compgen -f -- "${cur:-/dev/tty}")); return ;;
        --trace) COMPREPLY=($(compgen -f -- "$cur")); return ;;
        --baud) COMPREPLY=($(compgen -W "115200 128000 230400" -- "$cur")); return ;;
        --sleep) COMPREPLY=($(compgen -W "0 1 2" -- "$cur")); return ;;
        --mode) COMPREPLY=($(compgen -W "normal pro pims" -- "$cur")); return ;;
        --store) COMPREPLY=($(compgen -W "SM ME SR" -- "$cur")); return ;;
        --slot|--width|--name|--match) return ;;
        --folder) COMPREPLY=($(compgen -W "$(_q7k3fm_cli_folders)" -- "$cur")); return ;;
    esac

    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --port|--baud|--sleep|--trace|--mode|--store|--slot|--width|--name|--folder|--match) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local options="" phone=0
    case $command in
        help) COMPREPLY=($(compgen -W "$commands" -- "$cur")); return ;;
        identify) options=$link ;;
        ports) options="--port --help" ;;
        detect) options="--baud --json --quiet --verbose --help" ;;
        scan) options="$fs --porcelain --json -0 --null" ;;
        ls) options="$fs --porcelain --json -0 --null"; phone=1 ;;
        get) options="$fs --raw --force"; phone=1 ;;
        put) options="$fs --raw --overwrite --force --name"; phone=1 ;;
        rm) options=$fs; phone=1 ;;
        rename) options="$fs --overwrite --force"; phone=1 ;;
        backup) options="$fs --files-only" ;;
        restore) options="$fs --folder --match --overwrite --files-only" ;;
        verify) options="$fs --deep" ;;
        contacts|messages)
            options="$link --store --porcelain --json --force"
            [[ $command == contacts ]] && options="$options --cut-names"
            if [[ $cur != -* && $((cword - i)) -eq 1 ]]; then
                [[ $command == contacts ]] && COMPREPLY=($(compgen -W "ls export import" -- "$cur"))
                [[ $command == messages ]] && COMPREPLY=($(compgen -W "ls show export" -- "$cur"))
                return
            fi
            ;;
        java)
            options="$link --mode"
            if [[ $cur != -* && $((cword - i)) -eq 1 ]]; then
                COMPREPLY=($(compgen -W "rebuild" -- "$cur"))
                return
            fi
            ;;
        convert)
            options="--slot --width --force --quiet --verbose --help"
            if [[ $cur != -* && $((cword - i)) -eq 1 ]]; then
                COMPREPLY=($(compgen -W "$kinds" -- "$cur") $(compgen -f -- "$cur"))
                return
            fi
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -f -- "$cur"))
    if ((phone)); then
        local IFS=$'\n'
        COMPREPLY+=($(compgen -W "$(_q7k3fm_cli_folders)" -- "$cur"))
    fi
}

complete -o filenames -F _q7k3fm_cli q7k3fm-cli
