# bash completion for vantixctl                             -*- shell-script -*-

_vantixctl()
{
    local cur prev words cword
    _init_completion || return

    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --backend) ((i++)) ;;
            --*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $prev in
        --backend)
            COMPREPLY=($(compgen -W 'd2xx libftdi sim' -- "$cur"))
            return ;;
        --ini)
            _filedir ini
            return ;;
        --regfile)
            _filedir -d
            return ;;
        --call-syntax)
            COMPREPLY=($(compgen -W 'exec call' -- "$cur"))
            return ;;
        --socket)
            _filedir
            return ;;
        --from | --to | --conn)
            return ;;
    esac

    case $command in
        "")
            COMPREPLY=($(compgen -W 'list show set ua watch import password sim --backend --help' -- "$cur")) ;;
        ua)
            if ((cword == i + 1)); then
                COMPREPLY=($(compgen -W 'decode encode' -- "$cur"))
            elif [[ ${words[i + 1]} == encode ]] && ((cword == i + 2)); then
                COMPREPLY=($(compgen -W 'proximity track1 track2 tracks12' -- "$cur"))
            elif [[ ${words[i + 1]} == decode ]] && ((cword == i + 3)); then
                COMPREPLY=($(compgen -W 'proximity track1 track2 tracks12' -- "$cur"))
            fi ;;
        watch)
            COMPREPLY=($(compgen -W '--type --regfile' -- "$cur")) ;;
        import)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W '--from --to --conn --call-syntax' -- "$cur"))
            else
                _filedir vtxreg
            fi ;;
        password)
            COMPREPLY=($(compgen -W '--ini' -- "$cur")) ;;
        sim)
            if ((cword == i + 1)); then
                COMPREPLY=($(compgen -W 'serve plug unplug card inject stray line fail list written ua --socket' -- "$cur"))
            fi ;;
    esac
} &&
    complete -F _vantixctl vantixctl
